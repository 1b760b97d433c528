// Encodings of amounts, quantities and sections, the answer's money, the number formats
// of the receipt window, its receipt sums, and the card reader's data.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/receipts/card_data.h"
#include "core/receipts/money.h"
#include "core/receipts/receipt_sums.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Of(const std::optional<Bcd5>& b) {
  return b ? Bytes(b->begin(), b->end()) : Bytes{};
}

TEST(ReceiptMoney, Encodings) {
  enum Which { Money, Quantity, AmountText };
  struct Row {
    Which which;
    const char* text;
    char32_t sep;
    Bytes bytes;  // empty: refused ("Неверный формат!")
  } rows[] = {
      {Money, "1,15", ',', {0x00, 0x00, 0x00, 0x01, 0x15}},  // not 114 from 1,15 × 100
      {Money, "0,29", ',', {0x00, 0x00, 0x00, 0x00, 0x29}},
      {Money, "12,34", ',', {0x00, 0x00, 0x00, 0x12, 0x34}},
      {Money, "99999999,99", ',', {0x99, 0x99, 0x99, 0x99, 0x99}},
      {Money, "999999999,99", ',', {}},  // eleven digits
      {Money, "00000001,00", ',', {0x00, 0x00, 0x00, 0x01, 0x00}},
      {Money, "1,150", ',', {0x00, 0x00, 0x00, 0x01, 0x15}},
      {Money, "1,115", ',', {}},  // a third decimal would be sent ten times too large
      {Money, "-1,00", ',', {}},
      {Money, "-0,00", ',', {0x00, 0x00, 0x00, 0x00, 0x00}},
      {Money, ",5", ',', {0x00, 0x00, 0x00, 0x00, 0x50}},
      {Money, "5,", ',', {0x00, 0x00, 0x00, 0x05, 0x00}},
      {Money, "1.15", ',', {}},  // not this locale's separator
      {Money, "1.15", '.', {0x00, 0x00, 0x00, 0x01, 0x15}},
      {Money, "1,2,3", ',', {}},
      {Money, "1a", ',', {}},
      {Money, "", ',', {}},
      {Money, "1 000", ',', {}},
      {Quantity, "1,5", ',', {0x00, 0x00, 0x00, 0x15, 0x00}},
      {Quantity, "1", ',', {0x00, 0x00, 0x00, 0x10, 0x00}},
      {Quantity, "0,001", ',', {0x00, 0x00, 0x00, 0x00, 0x01}},
      {Quantity, "9999999,999", ',', {0x99, 0x99, 0x99, 0x99, 0x99}},
      {Quantity, "99999999,999", ',', {}},
      {Quantity, "1,0005", ',', {}},
      {AmountText, "1,11", ',', {0x00, 0x00, 0x00, 0x01, 0x11}},
      {AmountText, "5", ',', {0x00, 0x00, 0x00, 0x05, 0x00}},    // not 0,05
      {AmountText, "1,5", ',', {0x00, 0x00, 0x00, 0x01, 0x50}},  // not 0,15
      {AmountText, "", ',', {0x00, 0x00, 0x00, 0x00, 0x00}},
      {AmountText, "-", ',', {0x00, 0x00, 0x00, 0x00, 0x00}},
      {AmountText, "0.00", '.', {0x00, 0x00, 0x00, 0x00, 0x00}},
      {AmountText, "99999999,99", ',', {0x99, 0x99, 0x99, 0x99, 0x99}},
      {AmountText, "999999999,99", ',', {}},
      {AmountText, "-5,00", ',', {}},
      {AmountText, "1,234", ',', {}},
      {AmountText, "1.11", ',', {}},
      {AmountText, "1x,00", ',', {}},
  };
  for (const Row& row : rows) {
    std::optional<Bcd5> got = row.which == Money      ? EncodeMoney(row.text, row.sep)
                              : row.which == Quantity ? EncodeQuantity(row.text, row.sep)
                                                      : EncodeAmountText(row.text, row.sep);
    EXPECT_EQ(Of(got), row.bytes) << row.which << " " << row.text;
  }
}

TEST(ReceiptMoney, SectionsAndDiscountValues) {
  struct SectionRow {
    const char* text;
    std::optional<uint8_t> byte;
  } sections[] = {{"1", 0x01},           {"12", 0x12},         {"01", 0x01},        {"", 0x00},
                  {"123", std::nullopt}, {"-1", std::nullopt}, {"1,", std::nullopt}};
  for (const SectionRow& row : sections) EXPECT_EQ(EncodeSection(row.text), row.byte) << row.text;

  struct ValueRow {
    const char* text;
    bool amount;
    Bytes bytes;  // empty: refused
  } values[] = {
      {"10,00", false, {0x00, 0x10, 0x00}},
      {"9999,99", false, {0x99, 0x99, 0x99}},
      {"10000,00", false, {}},
      {"0,5", false, {0x00, 0x00, 0x50}},
      {"5,00", true, {0x00, 0x00, 0x00, 0x05, 0x00}},
      {"99999999,99", true, {0x99, 0x99, 0x99, 0x99, 0x99}},
      {"1,111", true, {}},
      {"-1", true, {}},
  };
  for (const ValueRow& row : values) {
    auto got = DiscountValueBytes(row.text, ',', row.amount);
    EXPECT_EQ(got.value_or(Bytes{}), row.bytes) << row.text;
  }
}

TEST(ReceiptMoney, DecodeMoneyReadsFourUnitBytesAndTheHundredths) {
  struct Row {
    Bytes answer;
    size_t first;
    const char* text;
  } rows[] = {
      {{0x00, 0x00, 0x01, 0x23, 0x45}, 0, "123,45"},
      {{0x00, 0x00, 0x00, 0x00, 0x00}, 0, "0,00"},
      {{0x02, 0x55, 0x00, 0x12, 0x34, 0x56, 0x78, 0x90}, 3, "12345678,90"},
      {{0x02, 0x55, 0x00, 0x00, 0x00, 0x00, 0x01}, 3, "1,00"},  // past the end: zeros
      {{0x00, 0x00, 0x01, 0x23}, 9, "0,00"},
  };
  for (const Row& row : rows) EXPECT_EQ(DecodeMoney(row.answer, row.first), row.text);
}

TEST(ReceiptMoney, GeneralAndFixedFormats) {
  struct Row {
    double value;
    char32_t sep;
    const char* general;
    const char* fixed12;  // "%*.*f", width 12, precision 2
  } rows[] = {
      {2.22, ',', "2,22", "        2,22"},
      {1.11 + 1.11, ',', "2,22", "        2,22"},
      {2.22 - 0.222, ',', "1,998", "        2,00"},
      {3.0, ',', "3", "        3,00"},
      {1.15 * 100, ',', "115", "      115,00"},
      {0.0, ',', "0", "        0,00"},
      {-0.0, ',', "0", "        0,00"},
      {-1e-17, ',', "-1E-17", "        0,00"},
      {2.5e-5, ',', "2,5E-5", "        0,00"},
      {1e15, ',', "1E15", "1000000000000000,00"},
      {99999999.99, ',', "99999999,99", " 99999999,99"},
      {-5.5, '.', "-5.5", "       -5.50"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FormatGeneral(row.value, row.sep), row.general) << row.general;
    EXPECT_EQ(FormatFixed(row.value, 2, row.sep, 12), row.fixed12) << row.general;
  }
  EXPECT_EQ(FormatFixed(2.22, 2, ','), "2,22");  // the payment page: no width
}

TEST(ReceiptSums, AfterEachOperation) {
  using A = DiscountArea;
  using K = DiscountKind;
  using S = DiscountSign;
  struct Step {
    const char* what;
    void (*apply)(ReceiptSums&);
    double last, total, discounts, surcharges;
    const char* name;
    const char* shown;  // the sale page's field after a page change
  } steps[] = {
      {"sale 1,11 × 1", [](ReceiptSums& s) { s.Sale(1.11, 1, "Хлеб"); }, 1.11, 1.11, 0, 0, "Хлеб",
       "        1,11"},
      {"sale again", [](ReceiptSums& s) { s.Sale(1.11, 1, "Хлеб"); }, 1.11, 2.22, 0, 0, "Хлеб",
       "        2,22"},
      {"10 % off the receipt",
       [](ReceiptSums& s) { s.Adjust(A::Receipt, K::Percent, S::Discount, 10); }, 1.11, 2.22, 0.222,
       0, "Хлеб", "        2,00"},
      {"storno 1,11", [](ReceiptSums& s) { s.Storno(1.11, 1); }, 1.11, 1.11, 0.222, 0, "",
       "        0,89"},
      {"storno 1,11 again", [](ReceiptSums& s) { s.Storno(1.11, 1); }, 1.11, 0, 0.222, 0, "",
       "       -0,22"},
      {"reset", [](ReceiptSums& s) { s.Reset(); }, 0, 0, 0, 0, "", "        0,00"},
      {"sale 5", [](ReceiptSums& s) { s.Sale(5, 1, "А"); }, 5, 5, 0, 0, "А", "        5,00"},
      {"1,00 off the last",
       [](ReceiptSums& s) { s.Adjust(A::LastOperation, K::Amount, S::Discount, 1); }, 4, 5, 1, 0,
       "А", "        4,00"},
      {"50 % on the last",
       [](ReceiptSums& s) { s.Adjust(A::LastOperation, K::Percent, S::Surcharge, 50); }, 6, 5, 1, 2,
       "А", "        6,00"},
      {"repeat", [](ReceiptSums& s) { s.Repeat(); }, 6, 11, 1, 2, "А", "       12,00"},
      {"return 2,00 × 3", [](ReceiptSums& s) { s.Return(2, 3, "Б"); }, 6, 6, 1, 2, "Б",
       "        7,00"},
      {"return 1,00 × 1", [](ReceiptSums& s) { s.Return(1, 1, ""); }, 1, 1, 1, 2, "",
       "        2,00"},
      {"annulment keeps the name", [](ReceiptSums& s) { s.Annul(2.5, 2); }, 5, 5, 1, 2, "",
       "        6,00"},
      {"surcharge 1,50 on the receipt",
       [](ReceiptSums& s) { s.Adjust(A::Receipt, K::Amount, S::Surcharge, 1.5); }, 5, 5, 1, 3.5, "",
       "        7,50"},
  };
  ReceiptSums sums;
  for (const Step& step : steps) {
    step.apply(sums);
    EXPECT_DOUBLE_EQ(sums.lastOperationSum(), step.last) << step.what;
    EXPECT_DOUBLE_EQ(sums.receiptTotal(), step.total) << step.what;
    EXPECT_DOUBLE_EQ(sums.discountTotal(), step.discounts) << step.what;
    EXPECT_DOUBLE_EQ(sums.surchargeTotal(), step.surcharges) << step.what;
    EXPECT_EQ(sums.lastItemName(), step.name) << step.what;
    EXPECT_EQ(FormatFixed(sums.Shown(), 2, ',', 12), step.shown) << step.what;
  }
}

TEST(ReceiptSums, BinaryResiduesDoNotShowAsATotal) {
  ReceiptSums sums;
  sums.Sale(0.1, 1, "");
  sums.Sale(0.2, 1, "");
  sums.Storno(0.3, 1);  // 0,1 + 0,2 − 0,3 is 5,55E-17 in binary fractions
  EXPECT_EQ(FormatGeneral(sums.receiptTotal(), ','), "0");
  sums.Sale(1.1, 1, "");
  sums.Sale(2.2, 1, "");
  sums.Adjust(DiscountArea::Receipt, DiscountKind::Amount, DiscountSign::Discount, 3.3);
  EXPECT_EQ(FormatGeneral(sums.Shown(), ','), "0");
}

TEST(CardData, TrackBetweenSemicolonAndLastQuestionMark) {
  struct Row {
    std::string received;
    int result;
    const char* text;
  } rows[] = {
      {";1234?", kCardReadOk, "1234"},
      {"%B4000^IVANOV/I^2512?;5678=99?", kCardReadOk, "5678=99"},
      {";1234?\r\n", kCardReadOk, "1234"},
      {";?", kCardReadOk, ""},
      {";12;34?", kCardBadField, ""},
      {";12?34?", kCardBadField, ""},
      {"1234", kCardNoSentinel, ""},
      {"?;1234", kCardNoSentinel, ""},  // no ';' before the last '?'
      {"", kCardReadFailed, ""},        // the read returned nothing
  };
  for (const Row& row : rows) {
    std::string text = "old";
    Bytes bytes(row.received.begin(), row.received.end());
    EXPECT_EQ(ParseCardData(bytes, text), row.result) << row.received;
    EXPECT_EQ(text, row.text) << row.received;
  }
  // Only the bytes read count: what lies behind them in the buffer is not looked at.
  const Bytes buffer = {';', '1', '2', '?', ';', '9', '?'};
  std::string text;
  EXPECT_EQ(ParseCardData(std::span(buffer).first(4), text), kCardReadOk);
  EXPECT_EQ(text, "12");
}

}  // namespace
}  // namespace ptk
