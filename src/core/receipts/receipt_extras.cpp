#include "core/receipts/receipt_extras.h"

#include <algorithm>
#include <limits>

#include "core/controls/number_fields.h"
#include "core/link/encoding.h"
#include "core/link/result_codes.h"

namespace ptk {
namespace {

constexpr int kBarcodeEan13 = 0x0;
constexpr int kBarcodeEan8 = 0x1;
constexpr int kAddOnNone = 0x0;
constexpr int kAddOnFive = 0x1;
constexpr int kAddOnTwo = 0x2;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The first n characters of a UTF-8 text.
std::string_view FirstCodePoints(std::string_view utf8, size_t n) {
  size_t seen = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
    if (seen++ == n) return utf8.substr(0, i);
  }
  return utf8;
}

int ClampToAttributes(int64_t n) {
  return static_cast<int>(std::clamp<int64_t>(n, kAttributeFirst, kAttributeLast));
}

}  // namespace

Exchange AccountNumberCommand(const Link& link, std::string_view text) {
  Exchange c;
  c.frame = link.CommandFrame(kCmdAccountNumber, Utf8ToCp1251(text));
  c.delayMs = kReceiptDelayMs;
  return c;
}

int ReadAttributeNames(Link& link, std::vector<std::string>& names) {
  names.clear();
  for (int i = kAttributeFirst; i <= kAttributeLast; ++i) {
    const uint8_t params[] = {kAttributeTable, 0x00, static_cast<uint8_t>(i), kAttributeNameField};
    std::array<uint8_t, kDirectAreaSize> answer{};
    size_t length = answer.size();
    const int error = DirectCommand(link, kCmdReadTableField, params, answer.data(), &length);
    if (error != direct_error::kOk) {
      names.clear();
      return error;
    }
    // The name's bytes as far as the answer holds them, up to the first zero byte.
    const size_t end = std::min(length, 2 + kAttributeNameWidth);
    size_t n = 2;
    while (n < end && answer[n] != 0) ++n;
    names.push_back(Cp866ToUtf8(std::span<const uint8_t>(answer.data() + 2, n > 2 ? n - 2 : 0)));
  }
  return direct_error::kOk;
}

void ShowAttributeNamesError(UserInterface& ui, int error) {
  if (error == direct_error::kWrongMode) return;
  ShowDirectError(ui, error);
}

int ClampAttributeNumber(std::string_view text) {
  return ClampLeadingNumber(text, kAttributeFirst, kAttributeLast);
}

int AttributeNumberOfItem(int itemIndex) {
  return ClampToAttributes(static_cast<int64_t>(itemIndex) + 1);
}

std::optional<int> ParseWholeNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t n = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    n = n * 10 + (c - '0');
    if (n > static_cast<int64_t>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
  }
  if (negative) n = -n;
  if (n > std::numeric_limits<int>::max() || n < std::numeric_limits<int>::min())
    return std::nullopt;
  return static_cast<int>(n);
}

std::optional<std::vector<uint8_t>> AttributeParams(uint8_t number, std::string_view value) {
  const std::vector<uint8_t> bytes = Utf8ToCp866(value);
  if (bytes.size() > kAttributeValueMax) return std::nullopt;
  std::vector<uint8_t> params{0x00, number};
  params.insert(params.end(), bytes.begin(), bytes.end());
  return params;
}

int PrintAttribute(Link& link, uint8_t number, std::string_view value) {
  const std::optional<std::vector<uint8_t>> params = AttributeParams(number, value);
  if (!params) return direct_error::kTooLong;
  std::array<uint8_t, kDirectAreaSize> answer{};
  size_t length = answer.size();
  return DirectCommand(link, kCmdPrintAttribute, *params, answer.data(), &length);
}

void ShowAttributeError(UserInterface& ui, int error) {
  if (error == direct_error::kOk) return;
  if (error < 0) {
    ShowResultCode(ui, static_cast<uint8_t>(error & 0xFF));
    return;
  }
  const std::string_view text = DirectErrorText(error);
  // DirectErrorText gives the text of 65535 for a code without an entry.
  if (error != direct_error::kUnknown && text == DirectErrorText(direct_error::kUnknown)) return;
  ShowError(ui, text);
}

int BuildBarcodeText(uint8_t type, std::string_view digits, std::string_view addOn, char separator,
                     std::string& text) {
  text.clear();
  const char s = separator == ' ' || separator == '<' || separator == '>' ? separator : ' ';
  size_t mainLength = 0;
  switch (type & 0x0F) {
    case kBarcodeEan13:
      mainLength = 12;
      break;
    case kBarcodeEan8:
      mainLength = 7;
      break;
    default:
      return direct_error::kInvalidParameter;
  }
  // The main digits without or with their check digit; the check digit is dropped.
  const size_t given = CodePoints(digits);
  if (given != mainLength && given != mainLength + 1) return direct_error::kInvalidParameter;
  size_t addOnLength = 0;
  switch (type >> 4) {
    case kAddOnNone:
      break;
    case kAddOnFive:
      addOnLength = 5;
      break;
    case kAddOnTwo:
      addOnLength = 2;
      break;
    default:
      return direct_error::kInvalidParameter;
  }
  if (addOnLength != 0 && CodePoints(addOn) != addOnLength) return direct_error::kInvalidParameter;
  text = std::string(FirstCodePoints(digits, mainLength)) + s;
  if (addOnLength != 0) text += std::string(addOn) + s;
  return direct_error::kOk;
}

int PrintBarcode(Link& link, uint8_t type, std::string_view text) {
  std::vector<uint8_t> params{type};
  const std::vector<uint8_t> bytes = Utf8ToCp1251(text);
  params.insert(params.end(), bytes.begin(), bytes.end());
  std::array<uint8_t, kDirectAreaSize> answer{};
  size_t length = answer.size();
  return DirectCommand(link, kCmdPrintBarcode, params, answer.data(), &length);
}

std::optional<uint32_t> ParseBeepField(std::string_view text) {
  if (text.empty()) return std::nullopt;
  uint64_t n = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    n = n * 10 + static_cast<uint64_t>(c - '0');
    if (n > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  }
  return static_cast<uint32_t>(n);
}

}  // namespace ptk
