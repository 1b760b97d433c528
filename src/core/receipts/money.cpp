#include "core/receipts/money.h"

#include <charconv>

#include "core/controls/number_fields.h"
#include "core/link/encoding.h"

namespace ptk {
namespace {

constexpr uint64_t kTenDigits = 10'000'000'000ull;  // first value that needs eleven digits

// A number field's text split at its separator: sign, integer digits, fraction digits.
struct DecimalParts {
  bool negative = false;
  std::string_view integer;
  std::string_view fraction;
};

bool AllDigits(std::string_view s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string Utf8Of(char32_t c) {
  std::string s;
  AppendUtf8(s, c);
  return s;
}

std::optional<DecimalParts> SplitDecimal(std::string_view text, char32_t separator) {
  DecimalParts parts;
  if (!text.empty() && text.front() == '-') {
    parts.negative = true;
    text.remove_prefix(1);
  }
  const std::string sep = Utf8Of(separator);
  const size_t at = text.find(sep);
  parts.integer = text.substr(0, at);
  if (at != std::string_view::npos) parts.fraction = text.substr(at + sep.size());
  if (!AllDigits(parts.integer) || !AllDigits(parts.fraction)) return std::nullopt;
  if (parts.integer.empty() && parts.fraction.empty()) return std::nullopt;
  return parts;
}

std::optional<Bcd5> ToBcd5(std::optional<uint64_t> value) {
  if (!value) return std::nullopt;
  const std::vector<uint8_t> packed = PackBcd(std::to_string(*value + kTenDigits).substr(1));
  Bcd5 out{};
  std::copy(packed.begin(), packed.end(), out.begin());
  return out;
}

// "1.5e-05" -> "1,5E-5"; "1e+15" -> "1E15"; "2.22" -> "2,22".
std::string WithSeparator(std::string_view ascii, char32_t separator) {
  std::string out;
  const size_t e = ascii.find('e');
  const std::string_view mantissa = ascii.substr(0, e);
  for (char c : mantissa) {
    if (c == '.')
      AppendUtf8(out, separator);
    else
      out.push_back(c);
  }
  if (e == std::string_view::npos) return out;
  std::string_view exponent = ascii.substr(e + 1);
  out.push_back('E');
  if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-')) {
    if (exponent.front() == '-') out.push_back('-');
    exponent.remove_prefix(1);
  }
  while (exponent.size() > 1 && exponent.front() == '0') exponent.remove_prefix(1);
  out.append(exponent);
  return out;
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text, char32_t separator) {
  const std::optional<DecimalParts> parts = SplitDecimal(text, separator);
  if (!parts) return std::nullopt;
  std::string ascii = parts->negative ? "-" : "";
  ascii += parts->integer.empty() ? "0" : std::string(parts->integer);
  if (!parts->fraction.empty()) ascii += "." + std::string(parts->fraction);
  double value = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

std::optional<uint64_t> ScaleDecimal(std::string_view text, char32_t separator, int decimals) {
  const std::optional<DecimalParts> parts = SplitDecimal(text, separator);
  if (!parts) return std::nullopt;
  std::string_view fraction = parts->fraction;
  const size_t scale = static_cast<size_t>(decimals);
  if (fraction.size() > scale) {
    // Digits beyond the scale must be zeros: 1,150 is 115 hundredths, 1,115 is no amount.
    if (fraction.substr(scale).find_first_not_of('0') != std::string_view::npos)
      return std::nullopt;
    fraction = fraction.substr(0, scale);
  }
  std::string_view integer = parts->integer;
  while (!integer.empty() && integer.front() == '0') integer.remove_prefix(1);
  if (integer.size() + scale > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : integer) value = value * 10 + static_cast<uint64_t>(c - '0');
  for (size_t i = 0; i < scale; ++i) {
    value = value * 10 + (i < fraction.size() ? static_cast<uint64_t>(fraction[i] - '0') : 0);
  }
  if (parts->negative && value != 0) return std::nullopt;
  return value;
}

std::optional<Bcd5> EncodeMoney(std::string_view text, char32_t separator) {
  return ToBcd5(ScaleDecimal(text, separator, 2));
}

std::optional<Bcd5> EncodeQuantity(std::string_view text, char32_t separator) {
  return ToBcd5(ScaleDecimal(text, separator, 3));
}

std::optional<Bcd5> EncodeAmountText(std::string_view text, char32_t separator) {
  const std::string normal = NormalizeNumberText(NumberFieldKind::Money, text, separator);
  const std::optional<DecimalParts> parts = SplitDecimal(normal, separator);
  // Digits, one separator and exactly two decimals; no sign.
  if (!parts || parts->negative || parts->fraction.size() != 2) return std::nullopt;
  return ToBcd5(ScaleDecimal(normal, separator, 2));
}

std::optional<uint8_t> EncodeSection(std::string_view text) {
  if (text.size() > 2 || !AllDigits(text)) return std::nullopt;
  std::string digits(2 - text.size(), '0');
  digits += text;
  return PackBcd(digits).front();
}

std::vector<uint8_t> EncodeDeviceText(std::string_view text) {
  return ToDeviceText(text);
}

std::optional<std::vector<uint8_t>> DiscountValueBytes(std::string_view text, char32_t separator,
                                                       bool amount) {
  const std::optional<uint64_t> value = ScaleDecimal(text, separator, 2);
  const size_t digits = amount ? 10 : 6;
  if (!value) return std::nullopt;
  const std::string padded = std::to_string(*value + kTenDigits).substr(1);  // ten digits
  if (padded.find_first_not_of('0') < 10 - digits) return std::nullopt;      // too large
  return PackBcd(padded.substr(10 - digits));
}

std::string DecodeMoney(std::span<const uint8_t> answer, size_t first) {
  auto at = [&](size_t i) -> uint8_t { return i < answer.size() ? answer[i] : 0; };
  auto twoDigits = [](int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); };
  std::string units;
  for (size_t i = 0; i < 4; ++i) units += twoDigits(BcdToInt(at(first + i)));
  size_t lead = units.find_first_not_of('0');
  units = lead == std::string::npos ? "0" : units.substr(lead);
  return units + "," + twoDigits(BcdToInt(at(first + 4)));
}

std::string FormatGeneral(double value, char32_t separator) {
  if (value == 0) value = 0;  // no "-0"
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (ec != std::errc()) return "0";
  return WithSeparator(std::string_view(buffer, static_cast<size_t>(end - buffer)), separator);
}

std::string FormatFixed(double value, int precision, char32_t separator, int width) {
  char buffer[400];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
  std::string ascii = ec == std::errc() ? std::string(buffer, end) : std::string("0");
  // A value that rounds to zero is written without its sign.
  if (ascii.front() == '-' && ascii.find_first_not_of("-0.") == std::string::npos)
    ascii.erase(0, 1);
  std::string out = WithSeparator(ascii, separator);
  const size_t length = CodePoints(out);
  if (width > 0 && length < static_cast<size_t>(width))
    out.insert(0, static_cast<size_t>(width) - length, ' ');
  return out;
}

}  // namespace ptk
