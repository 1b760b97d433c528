// The register's receipt: a whole receipt with change, what it refuses and with which
// code, check-only commands, discount arithmetic, and the receipt and shift in the state
// file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/link/encoding.h"
#include "emulator/receipt_book.h"
#include "emulator/state_file.h"
#include "emulator/virtual_register.h"
#include "support/bytes.h"
#include "support/register_rig.h"

namespace ptk::emu {
namespace {

using Bytes = std::vector<uint8_t>;
using test::Cat;
using test::Money;

constexpr uint8_t kExecute = 0, kCheck = 1;

// Mode, price, quantity (thousandths) and, for sale and storno, the section.
Bytes Item(uint8_t mode, int64_t price, int64_t quantity, int section = -1) {
  Bytes p{mode};
  for (const Bytes& b : {Money(price), NumberToBcd(static_cast<uint64_t>(quantity), 10)})
    p.insert(p.end(), b.begin(), b.end());
  if (section >= 0) p.push_back(ToBcd(section));
  return p;
}

Bytes Pay(uint8_t mode, int type, int64_t amount) {
  Bytes p{mode, static_cast<uint8_t>(type)};
  Bytes m = Money(amount);
  p.insert(p.end(), m.begin(), m.end());
  return p;
}

Bytes Discount(uint8_t mode, int area, int kind, int sign, int64_t value) {
  Bytes p{mode, static_cast<uint8_t>(area), static_cast<uint8_t>(kind), static_cast<uint8_t>(sign)};
  Bytes v = NumberToBcd(static_cast<uint64_t>(value), kind == 0 ? 6 : 10);
  p.insert(p.end(), v.begin(), v.end());
  return p;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// The amount of DecodeMoney form at payload[first] (AnswerBuffer index first + 1).
int64_t MoneyAt(const Bytes& a, size_t first) {
  int64_t v = 0;
  EXPECT_TRUE(BcdValue(std::span(a).subspan(first, 5), v));
  return v;
}

// Registration mode entered on 3 July 2024, 12:34:56.
class ReceiptTest : public test::RegisterRig {
 public:
  ReceiptTest() : RegisterRig(ToSeconds({2024, 7, 3, 12, 34, 56})) {
    EXPECT_EQ(Code(0x56, test::Cat({{0x01}, PackBcd("00000001")})), 0x00);
  }
  // Opens a receipt of the type and, for a price, registers price × 1 (in section 1).
  void Receipt(int type, int64_t price) {
    ASSERT_EQ(Code(0x92, {kExecute, static_cast<uint8_t>(type)}), 0x00);
    if (price == 0) return;
    const int section = KindOf(static_cast<uint8_t>(type)) == ReceiptKind::Sale ? 1 : -1;
    ASSERT_EQ(
        Code(RegistrationCode(static_cast<uint8_t>(type)), Item(kExecute, price, 1000, section)),
        0x00);
  }
};

TEST_F(ReceiptTest, WholeReceiptWithChange) {
  EXPECT_EQ(Code(0x9A, {kExecute, 0x91, 0xAC, 0xA5, 0xAD, 0xA0}), 0x00);  // "Смена"
  EXPECT_EQ(Code(0x92, {kExecute, 1}), 0x00);
  EXPECT_EQ(Code(0x4C, ToDeviceText("Хлеб")), 0x00);
  Bytes a = Run(0x48, Item(kExecute, 111, 1000, 1));
  ASSERT_EQ(a.size(), 17u);       // a 20-byte answer frame
  EXPECT_EQ(MoneyAt(a, 2), 111);  // receipt sum
  a = Run(0x48, Item(kExecute, 250, 2000, 2));
  EXPECT_EQ(MoneyAt(a, 2), 611);   // receipt sum
  EXPECT_EQ(MoneyAt(a, 7), 500);   // this operation
  EXPECT_EQ(MoneyAt(a, 12), 500);  // section 2
  a = Run(0x53, {kExecute});
  EXPECT_EQ(MoneyAt(a, 2), 611);
  a = Run(0x99, Pay(kExecute, 1, 500));
  EXPECT_EQ(MoneyAt(a, 2), 111);  // remainder
  EXPECT_EQ(MoneyAt(a, 7), 0);    // change
  EXPECT_EQ(Run(0x45)[1], 0x41);  // registration, taking payments
  a = Run(0x99, Pay(kExecute, 1, 500));
  EXPECT_EQ(MoneyAt(a, 2), 0);
  EXPECT_EQ(MoneyAt(a, 7), 389);
  EXPECT_LE(a.size(), 52u);  // whole within a 55-byte read
  EXPECT_EQ(Code(0x4A, Pay(kExecute, 1, 0)), 0x00);

  const RegisterState& s = reg.state();
  EXPECT_EQ(s.receiptState, 0);
  EXPECT_EQ(s.receiptSum, 0);
  EXPECT_EQ(s.ModeByte(), 0x01);
  EXPECT_EQ(s.receiptNumber, 1);
  EXPECT_EQ(s.documentNumber, 2);  // shift opening, receipt
  EXPECT_EQ(s.shift.registrations[0], 611);
  EXPECT_EQ(s.shift.registrationCount[0], 2);
  EXPECT_EQ(s.shift.sections[0][1], 500);
  EXPECT_EQ(s.shift.payments[0][0], 611);  // cash kept: 10,00 less 3,89 change
  EXPECT_EQ(s.shift.receipts[0], 1);
  EXPECT_EQ(s.cashInDrawer, 611);
  EXPECT_TRUE(TapeHas("Хлеб"));
  EXPECT_TRUE(TapeHas("Смена"));
  EXPECT_TRUE(TapeHas(TapeLine("02 СЕКЦИЯ", "=5,00")));
  EXPECT_TRUE(TapeHas(TapeLine("ИТОГ", "=6,11")));
  EXPECT_TRUE(TapeHas(TapeLine("НАЛИЧНЫМИ", "=10,00")));
  EXPECT_TRUE(TapeHas(TapeLine("СДАЧА", "=3,89")));
  // 42 characters wide: four two-byte letters, 33 blanks, "=6,11".
  EXPECT_EQ(TapeLine("ИТОГ", "=6,11").size(), 8 + 33 + 5u);
}

TEST_F(ReceiptTest, Refusals) {
  using Setup = std::function<void(ReceiptTest&)>;
  auto sale = [](int64_t price) { return [price](ReceiptTest& t) { t.Receipt(1, price); }; };
  struct Row {
    const char* what;
    Setup setup;
    uint8_t code;
    Bytes params;
    uint8_t result;
  } rows[] = {
      {"sale, no receipt", [](ReceiptTest&) {}, 0x48, Item(kExecute, 100, 1000, 1), 0x9A},
      {"payment, no receipt", [](ReceiptTest&) {}, 0x99, Pay(kExecute, 1, 100), 0x9A},
      {"second receipt", sale(100), 0x92, {kExecute, 1}, 0x9B},
      {"shift opened twice",
       [](ReceiptTest& t) { t.Code(0x9A, {kExecute}); },
       0x9A,
       {kExecute},
       0x9C},
      {"shift opened inside a receipt", sale(100), 0x9A, {kExecute}, 0x9B},
      {"receipt type 7", [](ReceiptTest&) {}, 0x92, {kExecute, 7}, 0x6A},
      {"mode byte 2", sale(100), 0x53, {2}, 0x13},
      {"price not BCD", sale(100), 0x48, {0, 0, 0, 0, 0x1A, 0, 0, 0, 0, 0x10, 0, 1}, 0x08},
      {"quantity 0", sale(100), 0x48, Item(kExecute, 100, 0, 1), 0x0A},
      {"section 17", sale(100), 0x48, Item(kExecute, 100, 1000, 17), 0x7D},
      {"price × quantity past ten digits", sale(100), 0x48,
       Item(kExecute, 9999999999, 9999999999, 1), 0x7F},
      {"receipt past ten digits", [](ReceiptTest& t) { t.Receipt(1, 9999999999); }, 0x48,
       Item(kExecute, 1, 1000, 1), 0x81},
      {"storno larger than the sale", sale(100), 0x4E, Item(kExecute, 100, 2000, 1), 0x41},
      {"storno of an item not sold", sale(100), 0x4E, Item(kExecute, 200, 1000, 1), 0x43},
      {"repeat after a storno",
       [](ReceiptTest& t) {
         t.Receipt(1, 100);
         t.Code(0x4E, Item(kExecute, 100, 1000, 1));
       },
       0x51,
       {kExecute},
       0x0E},
      {"return in a sale receipt", sale(100), 0x57, Item(kExecute, 100, 1000), 0x89},
      {"sale in a return receipt", [](ReceiptTest& t) { t.Receipt(2, 0); }, 0x48,
       Item(kExecute, 100, 1000, 1), 0x87},
      {"sale in an annulment receipt", [](ReceiptTest& t) { t.Receipt(3, 0); }, 0x48,
       Item(kExecute, 100, 1000, 1), 0x82},
      {"annulment over the shift's sales", [](ReceiptTest& t) { t.Receipt(3, 0); }, 0x41,
       Item(kExecute, 100, 1000), 0x73},
      {"sale after a discount on the receipt",
       [](ReceiptTest& t) {
         t.Receipt(1, 100);
         t.Code(0x43, Discount(kExecute, 0, 1, 0, 10));
       },
       0x48, Item(kExecute, 100, 1000, 1), 0x7C},
      {"second discount on the line",
       [](ReceiptTest& t) {
         t.Receipt(1, 100);
         t.Code(0x43, Discount(kExecute, 1, 1, 0, 10));
       },
       0x43, Discount(kExecute, 1, 1, 1, 10), 0x0F},
      {"discount on the line after a storno",
       [](ReceiptTest& t) {
         t.Receipt(1, 200);
         t.Code(0x48, Item(kExecute, 100, 1000, 1));
         t.Code(0x4E, Item(kExecute, 100, 1000, 1));
       },
       0x43, Discount(kExecute, 1, 0, 0, 1000), 0x10},
      {"discount over 100 per cent", sale(100), 0x43, Discount(kExecute, 0, 0, 0, 10001), 0x7B},
      {"discount larger than the receipt", sale(100), 0x43, Discount(kExecute, 0, 1, 0, 101), 0x7B},
      {"cancel without a discount", sale(100), 0x78, {}, 0xB2},
      {"payment type 5", sale(100), 0x99, Pay(kExecute, 5, 100), 0x7E},
      {"card payments over the sum", sale(100), 0x99, Pay(kExecute, 2, 101), 0x71},
      {"payment storno over the payment",
       [](ReceiptTest& t) {
         t.Receipt(1, 100);
         t.Code(0x99, Pay(kExecute, 1, 50));
       },
       0x9B, Pay(kExecute, 1, 51), 0x70},
      {"sale while taking payments",
       [](ReceiptTest& t) {
         t.Receipt(1, 100);
         t.Code(0x99, Pay(kExecute, 1, 50));
       },
       0x48, Item(kExecute, 100, 1000, 1), 0x66},
      {"handed over less than the receipt", sale(611), 0x4A, Pay(kExecute, 1, 500), 0x86},
      {"payments less than the receipt",
       [](ReceiptTest& t) {
         t.Receipt(1, 611);
         t.Code(0x99, Pay(kExecute, 1, 100));
       },
       0x4A, Pay(kExecute, 1, 100), 0x72},
      {"card closing with change", sale(100), 0x4A, Pay(kExecute, 4, 200), 0xB3},
      {"return without cash in the drawer", [](ReceiptTest& t) { t.Receipt(2, 100); }, 0x4A,
       Pay(kExecute, 1, 0), 0x98},
      {"receipt in a shift of 25 hours",
       [](ReceiptTest& t) {
         t.Code(0x9A, {kExecute});
         t.host += 25 * 3600;
       },
       0x92,
       {kExecute, 1},
       0x88},
      {"outside registration mode",
       [](ReceiptTest& t) { t.Code(0x52); },
       0x92,
       {kExecute, 1},
       0x66},
  };
  for (const Row& row : rows) {
    ReceiptTest& t = *this;
    t.reg.Reset();
    t.host = ToSeconds({2024, 7, 3, 12, 34, 56});
    t.reg.state().mode = 1;
    row.setup(t);
    const std::string before = SerializeState(t.reg.state());
    const size_t printed = t.reg.tape().LineCount();
    EXPECT_EQ(t.Run(row.code, row.params), (Bytes{0x55, row.result, 0x00})) << row.what;
    EXPECT_EQ(SerializeState(t.reg.state()), before) << row.what;
    EXPECT_EQ(t.reg.tape().LineCount(), printed) << row.what;
  }
}

TEST_F(ReceiptTest, CheckOnlyAnswersAndChangesNothing) {
  Receipt(1, 300);
  ASSERT_EQ(Code(0x48, Item(kExecute, 200, 1000, 2)), 0x00);
  struct Row {
    uint8_t code;
    Bytes params;
    uint8_t result;
    size_t at;      // payload index of an amount in the answer (0: none)
    int64_t value;  // what the operation would give there
  } rows[] = {
      {0x9A, {kCheck}, 0x9B, 0, 0},  // a receipt is open
      {0x48, Item(kCheck, 150, 2000, 3), 0x00, 2, 800},
      {0x51, {kCheck}, 0x00, 2, 700},
      {0x4E, Item(kCheck, 300, 1000, 1), 0x00, 2, 200},
      {0x43, Discount(kCheck, 1, 0, 0, 5000), 0x00, 0, 0},
      {0x43, Discount(kCheck, 0, 1, 1, 100), 0x00, 0, 0},
      {0x53, {kCheck}, 0x00, 2, 500},
      {0x99, Pay(kCheck, 1, 1000), 0x00, 7, 500},  // the change
      {0x9B, Pay(kCheck, 1, 100), 0x70, 0, 0},     // nothing paid yet
      {0x4A, Pay(kCheck, 1, 500), 0x00, 0, 0},
  };
  const std::string before = SerializeState(reg.state());
  const size_t printed = reg.tape().LineCount();
  for (const Row& row : rows) {
    Bytes a = Run(row.code, row.params);
    EXPECT_EQ(a.at(1), row.result) << std::hex << int{row.code};
    if (row.at) {
      EXPECT_EQ(MoneyAt(a, row.at), row.value) << std::hex << int{row.code};
    }
  }
  EXPECT_EQ(SerializeState(reg.state()), before);
  EXPECT_EQ(reg.tape().LineCount(), printed);
  // Opening a receipt and a shift in check-only mode leave them closed.
  ASSERT_EQ(Code(0x59), 0x00);
  reg.state().shiftOpen = false;
  EXPECT_EQ(Code(0x9A, {kCheck}), 0x00);
  EXPECT_EQ(Code(0x92, {kCheck, 1}), 0x00);
  EXPECT_FALSE(reg.state().shiftOpen);
  EXPECT_EQ(reg.state().receiptState, 0);
}

TEST_F(ReceiptTest, DiscountArithmetic) {
  struct Row {
    const char* what;
    Bytes discount;  // on a receipt of 1,11 then 1,11 × 1 (the last operation)
    int64_t sum;
    int64_t line;  // the last line's section (section 2) after it
  } rows[] = {
      {"10 % off the receipt", Discount(kExecute, 0, 0, 0, 1000), 200, 111},  // 0,222 -> 0,22
      {"10 % off the last", Discount(kExecute, 1, 0, 0, 1000), 211, 100},     // 0,111 -> 0,11
      {"50 % on the last", Discount(kExecute, 1, 0, 1, 5000), 278, 167},      // 0,555 -> 0,56
      {"5,00 on the last", Discount(kExecute, 1, 1, 1, 500), 722, 611},
      {"1,11 off the last", Discount(kExecute, 1, 1, 0, 111), 111, 0},
      {"100 % off the receipt", Discount(kExecute, 0, 0, 0, 10000), 0, 111},
  };
  for (const Row& row : rows) {
    reg.Reset();
    reg.state().mode = 1;
    Receipt(1, 111);
    ASSERT_EQ(Code(0x48, Item(kExecute, 111, 1000, 2)), 0x00);
    EXPECT_EQ(Code(0x43, row.discount), 0x00) << row.what;
    EXPECT_EQ(reg.state().receiptSum, row.sum) << row.what;
    EXPECT_EQ(reg.state().receipt.sections[1], row.line) << row.what;
    EXPECT_EQ(MoneyAt(Run(0x53, {kCheck}), 2), row.sum) << row.what;
    // The cancel restores the receipt exactly.
    EXPECT_EQ(Code(0x78), 0x00) << row.what;
    EXPECT_EQ(reg.state().receiptSum, 222) << row.what;
    EXPECT_EQ(reg.state().receipt.sections[1], 111) << row.what;
    EXPECT_EQ(Code(0x78), 0xB2) << row.what;  // only once
  }
  // A line of 0,333 kg at 1,11: 0,36963 is 0,37.
  reg.Reset();
  reg.state().mode = 1;
  Receipt(1, 0);
  EXPECT_EQ(MoneyAt(Run(0x48, Item(kExecute, 111, 333, 1)), 2), 37);
}

TEST_F(ReceiptTest, AnnulmentAndCardPaymentsOnTheTape) {
  Receipt(1, 1000);
  ASSERT_EQ(Code(0x59), 0x00);
  EXPECT_TRUE(TapeHas(TapeLine("ЧЕК АННУЛИРОВАН", "=10,00")));
  EXPECT_EQ(reg.state().shift.annulledReceipts, 1);
  EXPECT_EQ(reg.state().shift.registrations[0], 0);  // nothing counted

  Receipt(1, 1000);
  Bytes card = {0x31, 0x32, 0x33, 0x34};
  card.resize(20, 0);
  for (char c : std::string("A1B2")) card.push_back(static_cast<uint8_t>(c));
  card.resize(28, 0);
  for (char c : std::string("REF")) card.push_back(static_cast<uint8_t>(c));
  card.resize(40, 0);
  EXPECT_EQ(Code(0xBF, card), 0x00);
  EXPECT_EQ(Code(0x99, Pay(kExecute, 4, 400)), 0x00);
  EXPECT_EQ(Code(0x4A, Pay(kExecute, 1, 1000)), 0x00);
  EXPECT_TRUE(TapeHas(TapeLine("ТИПОМ ОПЛАТЫ 4", "=4,00")));
  EXPECT_TRUE(TapeHas("  КАРТА 1234"));
  EXPECT_TRUE(TapeHas("  КОД АВТОРИЗАЦИИ A1B2"));
  EXPECT_TRUE(TapeHas("  N ССЫЛКИ REF"));
  EXPECT_TRUE(TapeHas(TapeLine("СДАЧА", "=4,00")));
  EXPECT_EQ(reg.state().shift.payments[0][3], 400);
  EXPECT_EQ(reg.state().cashInDrawer, 600);

  // A return receipt pays its cash out of the drawer.
  Receipt(2, 500);
  EXPECT_EQ(Code(0x4A, Pay(kExecute, 1, 0)), 0x00);
  EXPECT_EQ(reg.state().cashInDrawer, 100);
  EXPECT_EQ(reg.state().shift.registrations[1], 500);
}

TEST_F(ReceiptTest, StateFileKeepsTheReceiptAndTheShift) {
  Receipt(1, 1000);
  ASSERT_EQ(Code(0x4A, Pay(kExecute, 1, 0)), 0x00);
  Receipt(1, 250);
  ASSERT_EQ(Code(0x48, Item(kExecute, 100, 1500, 3)), 0x00);
  ASSERT_EQ(Code(0x43, Discount(kExecute, 1, 1, 0, 50)), 0x00);
  ASSERT_EQ(Code(0x99, Pay(kExecute, 2, 100)), 0x00);

  test::FakeClock otherClock;
  VirtualRegister other{otherClock};
  other.SetHostTime([this] { return host; });
  std::string error;
  ASSERT_TRUE(ParseState(SerializeState(reg.state()), other.state(), &error)) << error;
  EXPECT_EQ(other.state().receipt, reg.state().receipt);
  EXPECT_EQ(other.state().shift, reg.state().shift);
  EXPECT_EQ(SerializeState(other.state()), SerializeState(reg.state()));
  // Both registers go on with the same receipt to the same end.
  for (VirtualRegister* r : {&reg, &other}) {
    Bytes close = {0x73, 0x91, 0x4A};
    Bytes pay = Pay(kExecute, 1, 500);
    close.insert(close.end(), pay.begin(), pay.end());
    EXPECT_EQ(r->Execute(close).payload.at(1), 0x00);
  }
  EXPECT_EQ(other.state().shift, reg.state().shift);
  EXPECT_EQ(other.state().cashInDrawer, 1000 + 250);  // 3,50 less 1,00 by card

  // A file from before receipts were kept: an open receipt with its sum and nothing else.
  VirtualRegister fresh{otherClock};
  std::string text;
  for (const std::string& line : Lines(SerializeState(fresh.state()))) {
    const std::string key = line.substr(0, line.find(' '));
    if (key.rfind("receipt.", 0) == 0 || key.rfind("shift.", 0) == 0 || key == "shiftOpenedAt" ||
        key == "documentNumber" || key == "cashInDrawer")
      continue;
    text += line + "\n";
  }
  text += "mode 1\nshiftOpen 1\nreceiptState 1\nreceiptSum 500\n";
  ASSERT_TRUE(ParseState(text, fresh.state(), &error)) << error;
  EXPECT_EQ(MoneyAt(fresh.Execute(Bytes{0x73, 0x91, 0x53, kExecute}).payload, 2), 500);
  Bytes close = {0x73, 0x91, 0x4A};
  Bytes pay = Pay(kExecute, 1, 500);
  close.insert(close.end(), pay.begin(), pay.end());
  EXPECT_EQ(fresh.Execute(close).payload.at(1), 0x00);
  EXPECT_EQ(fresh.state().shift.totals[0], 500);
  EXPECT_EQ(fresh.state().cashInDrawer, 500);
}

}  // namespace
}  // namespace ptk::emu
