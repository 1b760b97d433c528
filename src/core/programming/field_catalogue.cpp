#include "core/programming/field_catalogue.h"

#include <algorithm>
#include <array>

#include "core/link/encoding.h"
#include "core/programming/line_format.h"

namespace ptk {

namespace {

using E = FieldEncoding;
using R = FieldRoute;
using M = ModelFeature;
namespace sf = settings_field;

constexpr CatalogueField Flag(uint8_t field, std::string_view caption, R route = R::Classic,
                              M feature = M::None) {
  return {kSettingsTable, 1, 1, field, 1, 1, E::Flag, route, caption, feature, 0, 1};
}

constexpr CatalogueField Number(uint8_t field, std::string_view caption, int min, int max,
                                R route = R::Classic, M feature = M::None) {
  return {kSettingsTable, 1, 1, field, 1, 1, E::Number, route, caption, feature, min, max};
}

constexpr CatalogueField kCatalogue[] = {
    {kSettingsTable, 1, 1, sf::kRegisterNumber, 1, 1, E::Packed, R::Classic, "Номер ПТК"},
    Flag(sf::kPaymentType2, "тип оплаты 2"),
    Flag(sf::kPaymentType3, "тип оплаты 3"),
    Flag(sf::kPaymentType4, "тип оплаты 4"),
    Flag(sf::kDoubleImageHeight, "Удваивать высоту изображений при печати", R::Compact,
         M::DoubleImageHeight),
    Number(sf::kHeaderSpacing, "Пустых строк перед заголовком", 0, 10, R::Compact,
           M::HeaderSpacing),
    Number(sf::kTaxType, "Тип налога", 0, 4),
    Flag(sf::kPrintSectionName, "Печатать название секции"),
    Number(sf::kBrightness, "Яркость печати", 0, 9),
    Flag(sf::kOpenDrawer, "Открывать денежный ящик при закрытии чека"),
    Flag(sf::kClearCashSum, "Обнулять сумму наличных в кассе при закрытии смены "),
    {kSettingsTable, 1, 1, sf::kCommPassword, 2, 2, E::Packed, R::Classic,
     "Пароль передачи данных"},
    Flag(sf::kCutReceipt, "Отрезать чек"),
    Number(sf::kTotalFontHeight, "Высота шрифта итоговой суммы", 0, 1),
    Flag(sf::kPrintCashierNames, "Печатать имена кассиров"),
    Flag(sf::kClearReceiptCounter, "Обнулять счетчик чеков при закрытии смены"),
    Flag(sf::kPrintSaleTitle, "Печатать название чека продажи"),
    Number(sf::kFont, "Шрифт", 1, 4),
    Number(sf::kPaperWidth, "Ширина ленты", 0, 1, R::Compact, M::PaperWidth),
    Flag(sf::kCustomerDisplay, "Использовать дисплей покупателя", R::Compact, M::CustomerDisplay),
    Flag(sf::kPrintBuffer, "Использовать буфер печати", R::Compact, M::PrintBuffer),
    Flag(sf::kPrintOnShiftOpen, "Печатать чек при открытии смены"),
    Flag(sf::kDelayClosing, "Отсрочка гашения (не гасить через 24 часа)"),
    Flag(sf::kPrintCardNumber, "Печатать номер плат. карты"),
    Flag(sf::kPrintStringCommand, "Печать строки"),
    {kUsersTable, 1, kUserRows, 1, 4, 4, E::Packed, R::Classic, "Пароль"},
    {kUsersTable, 1, kUserRows, 2, kClassicTextWidth, kClassicTextReadWidth, E::ClassicText,
     R::Classic, "Имя"},
    {kDiscountsTable, 1, 1, 1, 1, 1, E::Packed, R::Classic, "Параметры скидок", M::None, 0, 3},
    {kDiscountsTable, 2, 2, 1, 1, 1, E::Packed, R::Classic, "Параметры надбавок", M::None, 0, 3},
    {kReceiptTextTable, kHeaderFirstRow, kHeaderFirstRow + kHeaderLines - 1, 1, 80, 80,
     E::ReceiptLine, R::Compact, "Заголовок чека"},
    {kReceiptTextTable, kFooterFirstRow, kFooterFirstRow + kFooterLines - 1, 1, 80, 80,
     E::ReceiptLine, R::Compact, "Окончание чека"},
    {kSectionsTable, 1, kSectionRows, 1, kClassicTextWidth, kClassicTextReadWidth, E::ClassicText,
     R::Classic, "Наименование секции"},
    {kTaxesTable, 1, kTaxRows, 1, 2, 2, E::TaxRate, R::Classic, "Налоговая ставка"},
    {kAttributesTable, 1, kAttributeRows, 1, kAttributeNameWidth, kAttributeNameWidth, E::OemText,
     R::Compact, "Наименование реквизита", M::AttributesTable},
};

constexpr std::string_view kFontNames0[] = {"нормальный", "сжатый", "узкий", "узкий полужирный"};

// Keeps an ASCII digit string of exactly `count` digits: left-padded with '0', or its
// last `count` characters.
std::optional<std::string> FixedDigits(std::string_view digits, size_t count) {
  for (char c : digits)
    if (c < '0' || c > '9') return std::nullopt;
  std::string text(digits);
  if (text.size() < count) text.insert(0, count - text.size(), '0');
  return text.substr(text.size() - count);
}

bool ParseSmall(std::string_view text, int& value) {
  if (text.empty() || text.size() > 5) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// Text of at most `width` code page 866 bytes, zero-padded to width.
std::vector<uint8_t> EncodeOemText(std::string_view utf8, size_t width) {
  std::vector<uint8_t> bytes = Utf8ToCp866(utf8);
  bytes.resize(width, 0);
  return bytes;
}

std::string DecodeOemText(std::span<const uint8_t> bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
  return Cp866ToUtf8(std::span<const uint8_t>(bytes.begin(), end));
}

std::string TrimTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

std::span<const CatalogueField> FieldCatalogue() {
  return kCatalogue;
}

const CatalogueField* FindCatalogueField(uint8_t table, uint16_t row, uint8_t field) {
  for (const CatalogueField& f : kCatalogue) {
    if (f.table == table && f.field == field && row >= f.firstRow && row <= f.lastRow) return &f;
  }
  return nullptr;
}

bool HasFeature(const ModelCapabilities& caps, ModelFeature feature) {
  switch (feature) {
    case ModelFeature::None:
      return true;
    case ModelFeature::PaperWidth:
      return caps.paperWidth != 0;
    case ModelFeature::CustomerDisplay:
      return caps.customerDisplay != 0;
    case ModelFeature::AttributesTable:
      return caps.attributesTable != 0;
    case ModelFeature::DoubleImageHeight:
      return caps.doubleImageHeight != 0;
    case ModelFeature::HeaderSpacing:
      return caps.headerSpacing != 0;
    case ModelFeature::PrintBuffer:
      return caps.printBuffer != 0;
  }
  return false;
}

std::optional<std::vector<uint8_t>> EncodePacked(std::string_view digits, size_t count) {
  std::optional<std::string> fixed = FixedDigits(digits, count);
  if (!fixed) return std::nullopt;
  return PackBcd(*fixed);
}

std::string DecodePacked(std::span<const uint8_t> bytes) {
  std::string text;
  for (uint8_t b : bytes) {
    text += static_cast<char>('0' + (b >> 4) % 10);
    text += static_cast<char>('0' + (b & 0x0F) % 10);
  }
  return text;
}

std::vector<uint8_t> EncodeClassicText(std::string_view utf8) {
  std::vector<uint8_t> bytes = ToDeviceText(utf8);
  if (bytes.size() > kClassicTextWidth) bytes.resize(kClassicTextWidth);
  bytes.resize(kClassicTextWidth, bytes.empty() ? 0x00 : 0x20);
  return bytes;
}

std::string DecodeClassicText(std::span<const uint8_t> bytes, size_t maxBytes) {
  bytes = bytes.first(std::min(bytes.size(), maxBytes));
  const auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
  return FromDeviceText(std::span<const uint8_t>(bytes.begin(), end));
}

std::optional<std::vector<uint8_t>> EncodeTaxRate(std::string_view text) {
  // Whole per cent, then up to two decimals after "," or "."; integers only, so that a
  // rate such as 0,29 is exactly 29 hundredths.
  const size_t separator = text.find_first_of(",.");
  std::string_view whole = text.substr(0, separator);
  std::string_view fraction =
      separator == std::string_view::npos ? std::string_view{} : text.substr(separator + 1);
  if (whole.size() > 2 || fraction.size() > 2) return std::nullopt;
  std::string digits(whole);
  if (digits.empty()) digits = "0";
  std::string hundredths(fraction);
  hundredths.resize(2, '0');
  return EncodePacked(digits + hundredths, 4);
}

std::string DecodeTaxRate(std::span<const uint8_t> bytes) {
  if (bytes.size() < 2) return "0,00";
  const std::string digits = DecodePacked(bytes.first(2));
  return std::to_string(BcdToInt(bytes[0])) + "," + digits.substr(2, 2);
}

std::span<const std::string_view> FontNames(uint32_t /*fontList*/) {
  // Every known model shows list 0.
  return kFontNames0;
}

int FontItemForValue(int value, size_t count) {
  if (value <= 0) return -1;
  if (static_cast<size_t>(value) > count) return 0;
  return value - 1;
}

std::string FieldValueToText(const CatalogueField& f, std::span<const uint8_t> value) {
  switch (f.encoding) {
    case E::Packed:
      return DecodePacked(value.first(std::min<size_t>(value.size(), f.width)));
    case E::Flag:
      return value.empty() || value[0] == 0 ? "0" : "1";
    case E::Number:
      return std::to_string(value.empty() ? 0 : value[0]);
    case E::TaxRate:
      return DecodeTaxRate(value);
    case E::ClassicText:
      return TrimTrailingBlanks(DecodeClassicText(value, f.width));
    case E::ReceiptLine:
      return ReceiptLineToText(value);
    case E::OemText:
      return DecodeOemText(value.first(std::min<size_t>(value.size(), f.width)));
  }
  return {};
}

std::optional<std::vector<uint8_t>> TextToFieldValue(const CatalogueField& f,
                                                     std::string_view text) {
  switch (f.encoding) {
    case E::Packed: {
      if (text.empty() || text.size() > size_t{f.width} * 2) return std::nullopt;
      return EncodePacked(text, size_t{f.width} * 2);
    }
    case E::Flag:
    case E::Number: {
      int v = 0;
      const int max = f.encoding == E::Flag ? 1 : f.maxValue;
      const int min = f.encoding == E::Flag ? 0 : f.minValue;
      if (!ParseSmall(text, v) || v < min || v > max) return std::nullopt;
      return std::vector<uint8_t>{static_cast<uint8_t>(v)};
    }
    case E::TaxRate:
      return EncodeTaxRate(text);
    case E::ClassicText:
      return EncodeClassicText(text);
    case E::ReceiptLine: {
      std::vector<uint8_t> bytes;
      if (ReceiptLineToBytes(text, false, bytes) != direct_error::kOk) return std::nullopt;
      if (bytes.size() > f.width) return std::nullopt;
      if (bytes.empty()) bytes.push_back(0x00);
      return bytes;
    }
    case E::OemText: {
      if (Utf8ToCp866(text).size() > f.width) return std::nullopt;
      return EncodeOemText(text, f.width);
    }
  }
  return std::nullopt;
}

}  // namespace ptk

namespace ptk {
namespace {

std::string Utf8Of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// The digits before and after the first separator of a tax cell (all separators, '.'
// and ',', count as one); whether there is one.
struct TaxParts {
  std::string whole;
  std::string fraction;
  bool separator = false;
};

TaxParts SplitTax(std::string_view text) {
  TaxParts p;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      (p.separator ? p.fraction : p.whole) += c;
    } else if (c == '.' || c == ',') {
      p.separator = true;
    }
  }
  return p;
}

}  // namespace

std::string NormalizeTaxCell(std::string_view text, char32_t separator) {
  // The separator as typed in this locale is one of '.' and ','; other characters drop.
  std::string ascii;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c >= '0' && c <= '9') || c == '.' || c == ',') ascii += static_cast<char>(c);
  }
  const std::string sep = Utf8Of(separator);
  std::string kept;
  bool seen = false;
  for (char c : ascii) {
    if (c == '.' || c == ',') {
      if (seen) continue;
      seen = true;
      kept += sep;
    } else {
      kept += c;
    }
  }
  const TaxParts p = SplitTax(ascii);
  const size_t whole = p.whole.empty() ? 0 : std::stoul(p.whole.substr(0, 9));
  if (whole <= 99 && p.fraction.size() <= 2) return kept;
  return std::to_string(whole % 100) + sep + p.fraction.substr(0, 2);
}

std::optional<std::string> FormatTaxCell(std::string_view text, char32_t separator) {
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == ',' || static_cast<unsigned char>(c) >= 0x80))
      return std::nullopt;
  }
  TaxParts p = SplitTax(text);
  if (p.whole.size() > 2 || p.fraction.size() > 2) return std::nullopt;
  const int whole = p.whole.empty() ? 0 : std::stoi(p.whole);
  while (p.fraction.size() < 2) p.fraction += '0';
  return std::to_string(whole) + Utf8Of(separator) + p.fraction;
}

}  // namespace ptk
