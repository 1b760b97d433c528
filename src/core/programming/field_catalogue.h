// The register's programmable tables as the program knows them: every table, row range
// and field it reads or writes, with the field's width, value encoding, route, caption
// and the model feature it depends on; and the value encodings themselves (packed
// decimal, flags, the classic table text, tax rates, the font number).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/direct_command.h"

namespace ptk {

enum class FieldEncoding : uint8_t {
  Packed,       // packed decimal of width × 2 digits
  Flag,         // one byte, 1 on, 0 off; any non-zero reads as on
  Number,       // one unsigned byte within minValue..maxValue
  TaxRate,      // two packed bytes: the rate in per cent times 100
  ClassicText,  // the register's characters, 42 bytes written, 32 read
  ReceiptLine,  // a header or footer line in the device line format
  OemText,      // code page 866 text of up to width bytes
};

enum class FieldRoute : uint8_t { Classic, Compact };

// The model feature a field depends on; None: every model has it.
enum class ModelFeature : uint8_t {
  None,
  PaperWidth,
  CustomerDisplay,
  AttributesTable,
  DoubleImageHeight,
  HeaderSpacing,
  PrintBuffer,
};

struct CatalogueField {
  uint8_t table;
  uint16_t firstRow, lastRow;
  uint8_t field;
  uint8_t width;      // bytes the register keeps; classic texts: bytes written
  uint8_t readWidth;  // bytes of the answer the program takes as the value
  FieldEncoding encoding;
  FieldRoute route;
  std::string_view caption;
  ModelFeature feature = ModelFeature::None;
  int minValue = 0, maxValue = 0;  // Number; Packed when maxValue > 0
};

// The whole catalogue, in table, row-range and field order.
std::span<const CatalogueField> FieldCatalogue();
// The entry that holds (table, row, field); nullptr when the program knows no such field.
const CatalogueField* FindCatalogueField(uint8_t table, uint16_t row, uint8_t field);
bool HasFeature(const ModelCapabilities& caps, ModelFeature feature);
// Whether a model with these capabilities has the field at all.
inline bool FieldPresent(const CatalogueField& f, const ModelCapabilities& caps) {
  return HasFeature(caps, f.feature);
}

// Table numbers and the rows of their parts.
inline constexpr uint8_t kSettingsTable = 2;
inline constexpr uint8_t kUsersTable = 3;
inline constexpr uint8_t kDiscountsTable = 4;
inline constexpr uint8_t kReceiptTextTable = 6;
inline constexpr uint8_t kSectionsTable = 7;
inline constexpr uint8_t kTaxesTable = 8;
inline constexpr uint8_t kAttributesTable = 15;
inline constexpr uint16_t kHeaderFirstRow = 1;  // rows 1..4: the receipt header
inline constexpr int kHeaderLines = 4;
inline constexpr uint16_t kFooterFirstRow = 11;  // rows 11..20: the receipt ending
inline constexpr int kFooterLines = 10;
inline constexpr int kUserRows = 30;
inline constexpr int kSectionRows = 16;
inline constexpr int kTaxRows = 16;
inline constexpr int kAttributeRows = 100;
inline constexpr size_t kClassicTextWidth = 42;      // bytes written
inline constexpr size_t kClassicTextReadWidth = 32;  // bytes read
inline constexpr size_t kAttributeNameWidth = 24;

// Table 2 row 1 fields.
namespace settings_field {
inline constexpr uint8_t kRegisterNumber = 1;
inline constexpr uint8_t kPaymentType2 = 3;
inline constexpr uint8_t kPaymentType3 = 4;
inline constexpr uint8_t kPaymentType4 = 5;
inline constexpr uint8_t kDoubleImageHeight = 6;
inline constexpr uint8_t kHeaderSpacing = 7;
inline constexpr uint8_t kTaxType = 11;
inline constexpr uint8_t kPrintSectionName = 15;
inline constexpr uint8_t kBrightness = 19;
inline constexpr uint8_t kOpenDrawer = 20;
inline constexpr uint8_t kClearCashSum = 22;
inline constexpr uint8_t kCommPassword = 23;
inline constexpr uint8_t kCutReceipt = 24;
inline constexpr uint8_t kTotalFontHeight = 25;
inline constexpr uint8_t kPrintCashierNames = 26;
inline constexpr uint8_t kClearReceiptCounter = 28;
inline constexpr uint8_t kPrintSaleTitle = 29;
inline constexpr uint8_t kFont = 34;
inline constexpr uint8_t kPaperWidth = 37;
inline constexpr uint8_t kCustomerDisplay = 38;
inline constexpr uint8_t kPrintBuffer = 40;
inline constexpr uint8_t kPrintOnShiftOpen = 43;
inline constexpr uint8_t kDelayClosing = 46;
inline constexpr uint8_t kPrintCardNumber = 47;
inline constexpr uint8_t kPrintStringCommand = 51;
}  // namespace settings_field

// Packed decimal: the digits left-padded with '0' to digits (an even count) and packed two
// per byte. Only the last `digits` characters count when the text is longer. Non-digits
// give nullopt.
std::optional<std::vector<uint8_t>> EncodePacked(std::string_view digits, size_t count);
// Two digits per byte, leading zeros kept: 0x12 -> "12", 00 00 00 01 -> "00000001".
std::string DecodePacked(std::span<const uint8_t> bytes);

// Writing a table text: each character through the register's character table, cut to 42
// characters, padded to exactly 42 bytes with blanks, or with zero bytes when empty.
std::vector<uint8_t> EncodeClassicText(std::string_view utf8);
// Reading one: the first maxBytes bytes mapped back, the text ending at the first zero
// byte; trailing blanks stay.
std::string DecodeClassicText(std::span<const uint8_t> bytes,
                              size_t maxBytes = kClassicTextReadWidth);

// A tax rate written as "18", "7,5", "7.50" or "" (0): the rate times 100 exactly, as
// four packed digits ("7,5" -> 07 50). nullopt for a text that is no rate of 0..99,99
// with at most two decimals.
std::optional<std::vector<uint8_t>> EncodeTaxRate(std::string_view text);
// The first byte's number without a leading zero, a comma, the second byte's two digits:
// 07 50 -> "7,50".
std::string DecodeTaxRate(std::span<const uint8_t> bytes);

// The font list the font box shows for a fontList flag ("нормальный", "сжатый", "узкий",
// "узкий полужирный" for 0).
std::span<const std::string_view> FontNames(uint32_t fontList);
// The font box item for a font value read from the register: value − 1 in 1..count,
// the first item for a value beyond the list, nothing (-1) for 0.
int FontItemForValue(int value, size_t count);

// A field value as one line of text and back: packed as its digits, flags and numbers in
// decimal, tax rates as "18,00", texts as they read (classic texts with their full stored
// width, trailing blanks removed), receipt lines in the line format with offsets as
// stored. TextToFieldValue gives nullopt for a text the field cannot take.
std::string FieldValueToText(const CatalogueField& f, std::span<const uint8_t> value);
std::optional<std::vector<uint8_t>> TextToFieldValue(const CatalogueField& f,
                                                     std::string_view text);

}  // namespace ptk

namespace ptk {

// A tax cell as it is edited: '.' and ',' become the separator and every other character
// but the digits and the separator is dropped; then, when the integer part exceeds 99 or
// more than two characters follow the separator, the cell becomes the integer part
// modulo 100, the separator and the first two of them ("123,456" -> "23,45").
std::string NormalizeTaxCell(std::string_view text, char32_t separator);
// A tax cell before it is written: "##0.00" with the separator ("" -> "0,00",
// "7,5" -> "7,50"); nullopt for a cell that is no number.
std::optional<std::string> FormatTaxCell(std::string_view text, char32_t separator);

}  // namespace ptk
