// The character rules and the normalisation of the program's number fields: TEditMoney
// (an amount with two decimals), TEditCount (a quantity with three decimals) and TEditNum
// (a plain number). Pure functions over the field's text, caret and maximum length; the
// decimal separator is passed in, never taken from the C locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ptk {

enum class NumberFieldKind { Money, Count, Num };

inline constexpr char32_t kKeyBackspace = 8;
inline constexpr char32_t kKeyRejected = 0;

// Digits behind the separator: 2 for money, 3 for quantities, 0 for plain numbers.
int NumberFieldDecimals(NumberFieldKind kind);

// The key handed on to the edit for a typed key, or kKeyRejected. text is the field's
// UTF-8 text before the key is inserted, caret its 0-based caret position in characters
// (the selection start), maxLength the field's character limit. '.' and ',' are replaced
// by the separator; Backspace always passes.
char32_t FilterNumberKey(NumberFieldKind kind, std::string_view text, size_t caret, char32_t key,
                         char32_t separator, int maxLength);

// The text a money or quantity field is left with when it loses the focus: "0" for the
// empty and sign-and-separator-only texts, then padded to the field's decimals. A plain
// number field keeps its text.
std::string NormalizeNumberText(NumberFieldKind kind, std::string_view text, char32_t separator);

// The value of a number edit tied to an up-down after any change: the text's leading
// digits as an integer (0 when it starts with none), clamped to [min, max].
int ClampLeadingNumber(std::string_view text, int min, int max);

}  // namespace ptk
