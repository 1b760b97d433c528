// Amounts, quantities and sections of the receipt commands, and the number formats of the
// receipt window. Pure functions; the decimal separator is passed in, never taken from
// the C locale.
//
// The encodings carry ten unsigned BCD digits, so an amount is at most 99999999,99 and a
// quantity at most 9999999,999. A text that does not fit (negative, more than ten digits
// after scaling, more decimals than the scale holds, characters other than digits, a
// leading minus and one separator) gives no bytes: the caller shows kTextBadFormat and
// sends nothing, rather than a truncated or misplaced value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ptk {

// The box the receipt window shows for a field it cannot convert (caption "Ошибка").
inline constexpr std::string_view kTextBadFormat = "Неверный формат!";

using Bcd5 = std::array<uint8_t, 5>;

// The field's text as a number: an optional leading '-', digits and at most one
// separator, at least one digit ("5", "5,", ",5", "-1,25"). Anything else: nullopt.
std::optional<double> ParseDecimal(std::string_view text, char32_t separator);

// The text scaled by 10^decimals as an unsigned integer below 10^10: "1,15" with 2 gives
// 115. nullopt for a malformed or negative text, a value that needs more than ten digits,
// or non-zero digits beyond the scale ("1,115" with 2), which would otherwise be sent ten
// times too large. A negative zero ("-0,00") is zero.
std::optional<uint64_t> ScaleDecimal(std::string_view text, char32_t separator, int decimals);

// Price or amount: the value × 100 in ten BCD digits ("12,34" -> 00 00 00 12 34).
std::optional<Bcd5> EncodeMoney(std::string_view text, char32_t separator);
// Quantity: the value × 1000 in ten BCD digits ("1,5" -> 00 00 00 15 00).
std::optional<Bcd5> EncodeQuantity(std::string_view text, char32_t separator);
// Amount of a payment or closing, sent digit for digit. The text is first normalised to
// two decimals as a money field does when it is left ("5" -> "5,00", "1,5" -> "1,50"), so
// that an amount sent without leaving the field is not sent a hundred times too small.
// Digits and one separator only, at most two decimals.
std::optional<Bcd5> EncodeAmountText(std::string_view text, char32_t separator);
// Section number: one or two digits, one BCD byte ("1" -> 0x01, "12" -> 0x12); an empty
// text is section 0, which the register judges.
std::optional<uint8_t> EncodeSection(std::string_view text);
// Text in the register's characters, one byte per character, no terminator.
std::vector<uint8_t> EncodeDeviceText(std::string_view text);

// The value bytes of a discount or surcharge: the value × 100 in six BCD digits (three
// bytes) for a percentage, ten digits (five bytes) for an amount. "10,00" per cent gives
// 00 10 00.
std::optional<std::vector<uint8_t>> DiscountValueBytes(std::string_view text, char32_t separator,
                                                       bool amount);

// An amount of an answer: four BCD bytes of whole units from answer[first], then one of
// hundredths, always with a comma: 00 00 01 23 45 -> "123,45", zeros -> "0,00". Bytes
// beyond the answer read as zero.
std::string DecodeMoney(std::span<const uint8_t> answer, size_t first);

// The general floating-point format: rounded to 15 significant digits, no trailing zeros,
// the separator given (2.22 -> "2,22", 3.0 -> "3"); an exponent only for very large or
// small magnitudes ("1E15", "2,5E-5").
std::string FormatGeneral(double value, char32_t separator);
// A fixed number of decimals, right-aligned in width characters (at least the number's
// own length): the "%*.*f" format with the separator given.
std::string FormatFixed(double value, int precision, char32_t separator, int width = 0);

}  // namespace ptk
