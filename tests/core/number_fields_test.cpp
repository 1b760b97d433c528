// The character filter and the normalisation of the money, quantity and number fields,
// with a comma and with a point as the locale's decimal separator.
#include "core/controls/number_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace ptk {
namespace {

using K = NumberFieldKind;
constexpr char32_t kRej = kKeyRejected;

// Writes a text with ',' standing for the separator.
std::string WithSep(std::string text, char32_t sep) {
  for (char& c : text)
    if (c == ',') c = static_cast<char>(sep);
  return text;
}

struct KeyRow {
  const char* what;
  K kind;
  const char* text;  // ',' stands for the separator
  size_t caret;
  char32_t key;  // ',' stands for the separator when expected is not kRej
  int maxLength;
  char32_t expected;  // the key handed on; ',' stands for the separator
};

const KeyRow kKeyRows[] = {
    // Step 1: '.' and ',' become the separator.
    {"point becomes separator", K::Money, "12", 2, U'.', 11, U','},
    {"comma becomes separator", K::Money, "12", 2, U',', 11, U','},
    // Step 2: Backspace passes whatever the state.
    {"backspace on full field", K::Money, "12345678,99", 11, kKeyBackspace, 11, kKeyBackspace},
    {"backspace on empty field", K::Count, "", 0, kKeyBackspace, 11, kKeyBackspace},
    {"backspace in number", K::Num, "12", 1, kKeyBackspace, 2, kKeyBackspace},
    // Step 3: the integer part is full at MaxLength - (D + 1).
    {"money eighth digit", K::Money, "9999999", 7, U'9', 11, U'9'},
    {"money ninth digit refused", K::Money, "99999999", 8, U'9', 11, kRej},
    {"money separator after eight", K::Money, "99999999", 8, U',', 11, U','},
    {"money minus with full integer part", K::Money, "99999999", 0, U'-', 11, kRej},
    {"money minus counts as a character", K::Money, "-9999999", 8, U'9', 11, kRej},
    {"count seventh digit", K::Count, "999999", 6, U'9', 11, U'9'},
    {"count eighth digit refused", K::Count, "9999999", 7, U'9', 11, kRej},
    {"count separator after seven", K::Count, "9999999", 7, U',', 11, U','},
    {"integer part grows once separated", K::Money, "9999999,9", 0, U'9', 11, U'9'},
    // Step 4: the separator refused in its three cases.
    {"second separator", K::Money, "12,3", 4, U'.', 11, kRej},
    {"second separator before it", K::Money, "12,3", 1, U',', 11, kRej},
    {"more than D behind caret", K::Money, "123", 0, U',', 11, kRej},
    {"exactly D behind caret", K::Money, "123", 1, U',', 11, U','},
    {"count: three behind caret", K::Count, "1234", 1, U',', 11, U','},
    {"count: four behind caret", K::Count, "1234", 0, U',', 11, kRej},
    {"separator first", K::Money, "", 0, U',', 11, kRej},
    {"separator first in count", K::Count, "", 0, U'.', 11, kRej},
    // Step 5: minus at positions 0 and 1 only, once.
    {"minus at 0", K::Money, "5", 0, U'-', 11, U'-'},
    {"minus at 1", K::Money, "5", 1, U'-', 11, U'-'},
    {"minus at 2", K::Money, "55", 2, U'-', 11, kRej},
    {"minus on empty", K::Count, "", 0, U'-', 11, U'-'},
    {"second minus", K::Money, "-5", 0, U'-', 11, kRej},
    // Step 6: decimals full with the caret behind the separator.
    {"decimals full, caret at end", K::Money, "12,34", 5, U'5', 11, kRej},
    {"decimals full, caret behind separator", K::Money, "12,34", 3, U'5', 11, kRej},
    {"decimals full, caret before the 1", K::Money, "12,34", 0, U'5', 11, U'5'},
    {"decimals full, caret before separator", K::Money, "12,34", 2, U'5', 11, U'5'},
    {"one decimal, caret at end", K::Money, "12,3", 4, U'4', 11, U'4'},
    {"count decimals full", K::Count, "1,234", 5, U'5', 11, kRej},
    {"count two decimals", K::Count, "1,23", 4, U'4', 11, U'4'},
    {"decimals full, minus behind separator", K::Money, "1,23", 2, U'-', 11, kRej},
    // Step 7: only digits, minus and the separator.
    {"letter", K::Money, "1", 1, U'a', 11, kRej},
    {"hash", K::Count, "1", 1, U'#', 11, kRej},
    {"dollar", K::Money, "1", 1, U'$', 11, kRej},
    {"percent", K::Money, "1", 1, U'%', 11, kRej},
    {"apostrophe", K::Money, "1", 1, U'\'', 11, kRej},
    {"cyrillic letter", K::Money, "1", 1, U'ж', 11, kRej},
    {"blank", K::Count, "1", 1, U' ', 11, kRej},
    {"digit on empty", K::Money, "", 0, U'0', 11, U'0'},
    // TEditNum: no structure, only the character set.
    {"number: minus anywhere", K::Num, "12", 2, U'-', 10, U'-'},
    {"number: second minus", K::Num, "-1", 2, U'-', 10, U'-'},
    {"number: separator first", K::Num, "", 0, U',', 10, U','},
    {"number: point becomes separator", K::Num, "1,2", 3, U'.', 10, U','},
    {"number: letter", K::Num, "1", 1, U'x', 10, kRej},
    {"number: hash", K::Num, "1", 1, U'#', 10, kRej},
    {"number: apostrophe", K::Num, "1", 1, U'\'', 10, kRej},
    {"number: percent", K::Num, "1", 1, U'%', 10, kRej},
    {"number: dollar", K::Num, "1", 1, U'$', 10, kRej},
    {"number: digit", K::Num, "1", 1, U'7', 2, U'7'},
};

class FilterKeyTest : public ::testing::TestWithParam<char32_t> {};

TEST_P(FilterKeyTest, EveryStep) {
  const char32_t sep = GetParam();
  for (const KeyRow& row : kKeyRows) {
    const std::string text = WithSep(row.text, sep);
    char32_t key = row.key;
    char32_t expected = row.expected == U',' ? sep : row.expected;
    EXPECT_EQ(FilterNumberKey(row.kind, text, row.caret, key, sep, row.maxLength), expected)
        << row.what << " (separator '" << static_cast<char>(sep) << "')";
  }
}

INSTANTIATE_TEST_SUITE_P(BothSeparators, FilterKeyTest, ::testing::Values(U',', U'.'));

// Typing a whole string key by key at the end of the field, as the operator would.
std::string Type(K kind, const std::string& keys, char32_t sep, int maxLength) {
  std::string text;
  for (char k : keys) {
    if (static_cast<int>(text.size()) >= maxLength) break;  // the edit's own limit
    char32_t got =
        FilterNumberKey(kind, text, text.size(), static_cast<unsigned char>(k), sep, maxLength);
    if (got != kKeyRejected) text.push_back(static_cast<char>(got));
  }
  return text;
}

TEST_P(FilterKeyTest, TypedSequences) {
  const char32_t sep = GetParam();
  struct Row {
    K kind;
    const char* keys;
    int maxLength;
    const char* result;  // ',' stands for the separator
  } rows[] = {
      {K::Money, "9999999999,999", 11, "99999999,99"},
      {K::Count, "9999999999,9999", 11, "9999999,999"},
      {K::Money, "-99999999.99", 11, "-9999999,99"},
      {K::Money, ".5", 11, "5"},
      {K::Money, "1.2.3", 11, "1,23"},
      {K::Money, "12-", 11, "12"},
      {K::Money, "1-2", 11, "1-2"},  // a minus at position 1 is allowed
      {K::Money, "abc12#$%'", 11, "12"},
      {K::Num, "1,2-3", 10, "1,2-3"},
      {K::Num, "-.,", 10, "-,,"},
      {K::Num, "123", 2, "12"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Type(row.kind, row.keys, sep, row.maxLength), WithSep(row.result, sep)) << row.keys;
  }
}

struct NormRow {
  K kind;
  const char* text;  // ',' stands for the separator
  const char* result;
};

const NormRow kNormRows[] = {
    // The texts that become zero.
    {K::Money, "", "0,00"},
    {K::Money, ",", "0,00"},
    {K::Money, "-", "0,00"},
    {K::Money, "-,", "0,00"},
    {K::Money, ",-", "0,00"},
    {K::Money, ",0", "0,00"},
    {K::Money, "-,0", "0,00"},
    {K::Money, ",00", "0,00"},
    {K::Money, "-,00", "0,00"},
    {K::Money, ",000", ",000"},  // only the quantity field knows three zeros
    {K::Count, "", "0,000"},
    {K::Count, ",", "0,000"},
    {K::Count, "-", "0,000"},
    {K::Count, "-,", "0,000"},
    {K::Count, ",-", "0,000"},
    {K::Count, ",0", "0,000"},
    {K::Count, "-,0", "0,000"},
    {K::Count, ",00", "0,000"},
    {K::Count, "-,00", "0,000"},
    {K::Count, ",000", "0,000"},
    {K::Count, "-,000", "0,000"},
    // Padding behind the separator.
    {K::Money, "12", "12,00"},
    {K::Money, "12,5", "12,50"},
    {K::Money, "12,", "12,00"},
    {K::Money, "12,34", "12,34"},
    {K::Money, "12,345", "12,345"},  // a longer fractional part stays
    {K::Money, "-5", "-5,00"},
    {K::Money, ",5", ",50"},
    {K::Count, "2", "2,000"},
    {K::Count, "0,5", "0,500"},
    {K::Count, "1,2345", "1,2345"},
    {K::Count, "-,0000", "-,0000"},
    // The plain number field never rewrites its text.
    {K::Num, "", ""},
    {K::Num, "-", "-"},
    {K::Num, "1,2-3", "1,2-3"},
};

class NormalizeTest : public ::testing::TestWithParam<char32_t> {};

TEST_P(NormalizeTest, EveryText) {
  const char32_t sep = GetParam();
  for (const NormRow& row : kNormRows) {
    EXPECT_EQ(NormalizeNumberText(row.kind, WithSep(row.text, sep), sep), WithSep(row.result, sep))
        << "'" << row.text << "' separator '" << static_cast<char>(sep) << "'";
  }
}

INSTANTIATE_TEST_SUITE_P(BothSeparators, NormalizeTest, ::testing::Values(U',', U'.'));

TEST(NormalizeNumberText, OtherSeparatorIsNotPadded) {
  // With a comma locale a pasted "12.5" holds no separator: ",00" is appended.
  EXPECT_EQ(NormalizeNumberText(K::Money, "12.5", U','), "12.5,00");
  EXPECT_EQ(NormalizeNumberText(K::Money, "12,5", U'.'), "12,5.00");
}

TEST(NormalizeNumberText, PastedNonAsciiTextCountsCharacters) {
  EXPECT_EQ(NormalizeNumberText(K::Money, "ж,5", U','), "ж,50");
  EXPECT_EQ(FilterNumberKey(K::Money, "жж,12", 5, U'1', U',', 11), kKeyRejected);
  EXPECT_EQ(FilterNumberKey(K::Money, "жж,12", 0, U'1', U',', 11), U'1');
}

// The number edits tied to an up-down (picture number 1..255, offset 0..600, blank lines
// 0..10): every change leaves the clamped value of the text's leading digits.
TEST(ClampLeadingNumber, UpDownRanges) {
  struct Row {
    const char* text;
    int min, max, expected;
  } rows[] = {
      {"300", 1, 255, 255},
      {"30", 1, 255, 30},
      {"", 1, 255, 1},  // empty reads 0
      {"x", 1, 255, 1},
      {"7x9", 1, 255, 7},
      {"-5", 0, 600, 0},
      {"700", 0, 600, 600},
      {"0600", 0, 600, 600},
      {"12", 0, 10, 10},
      {"99999999999999999999", 0, 10, 10},  // no overflow on a long run of digits
  };
  for (const Row& r : rows)
    EXPECT_EQ(ClampLeadingNumber(r.text, r.min, r.max), r.expected) << r.text << " " << r.max;
}

}  // namespace
}  // namespace ptk
