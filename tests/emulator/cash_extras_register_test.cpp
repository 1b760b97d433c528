// The register's cash in and out with the drawer, the drawer-sum answers, the account
// number, attribute and barcode prints beside the card data, and the cut and beep notes.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/link/encoding.h"
#include "core/receipts/cash_commands.h"
#include "emulator/receipt_book.h"
#include "emulator/state_file.h"
#include "emulator/virtual_register.h"
#include "support/register_rig.h"

namespace ptk::emu {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kExecute = 0, kCheck = 1;

// Mode byte and an amount in kopecks (five BCD bytes).
Bytes Cash(uint8_t mode, int64_t kopecks) {
  Bytes p{mode};
  Bytes m = NumberToBcd(static_cast<uint64_t>(kopecks), 10);
  p.insert(p.end(), m.begin(), m.end());
  return p;
}

// Registration mode entered on 3 July 2024, 12:34:56.
class CashRegisterTest : public test::RegisterRig {
 public:
  CashRegisterTest() : RegisterRig(ToSeconds({2024, 7, 3, 12, 34, 56})) {
    EXPECT_EQ(Code(0x56, test::Cat({{0x01}, PackBcd("00000001")})), 0x00);
  }
  // The tape lines printed by the command (and its result code).
  std::vector<std::string> Printed(uint8_t code, Bytes params, uint8_t expected = 0x00) {
    const size_t before = reg.tape().LineCount();
    EXPECT_EQ(Code(code, std::move(params)), expected) << int{code};
    return reg.tape().LinesFrom(before);
  }
  // The program's decoding of an answer payload (AnswerBuffer has STX before it).
  static std::string Amount(const Bytes& payload, size_t first) {
    Bytes buffer{0x02};
    buffer.insert(buffer.end(), payload.begin(), payload.end());
    return DecodeDrawerSum(buffer, first);
  }
  void OpenReceipt() { ASSERT_EQ(Code(0x92, {kExecute, 1}), 0x00); }
};

TEST_F(CashRegisterTest, CashInAndOutMoveTheDrawer) {
  const RegisterState& s = reg.state();
  struct Step {
    const char* what;
    uint8_t code;
    Bytes params;
    uint8_t result;
    int64_t drawer;  // after the step
  } steps[] = {
      {"payout from an empty drawer", 0x4F, Cash(kExecute, 1), 0x98, 0},
      {"cash in 100,00", 0x49, Cash(kExecute, 10000), 0x00, 10000},
      {"payout beyond the drawer", 0x4F, Cash(kExecute, 10001), 0x98, 10000},
      {"check only, beyond", 0x4F, Cash(kCheck, 10001), 0x98, 10000},
      {"check only: nothing moves", 0x4F, Cash(kCheck, 10000), 0x00, 10000},
      {"amount 0", 0x49, Cash(kExecute, 0), 0x08, 10000},
      {"amount no BCD", 0x49, {kExecute, 0x00, 0x00, 0x00, 0x0A, 0x00}, 0x08, 10000},
      {"mode byte 2", 0x49, Cash(2, 100), 0x13, 10000},
      {"too short", 0x49, {kExecute, 0x00, 0x01}, 0x14, 10000},
      {"cash out 0,50", 0x4F, Cash(kExecute, 50), 0x00, 9950},
  };
  int64_t drawer = 0;
  for (const Step& step : steps) {
    const size_t before = reg.tape().LineCount();
    EXPECT_EQ(Code(step.code, step.params), step.result) << step.what;
    EXPECT_EQ(s.cashInDrawer, step.drawer) << step.what;
    // Refusals and check-only commands print nothing.
    if (step.drawer == drawer) {
      EXPECT_EQ(reg.tape().LineCount(), before) << step.what;
    }
    drawer = step.drawer;
  }
  std::vector<std::string> lines = reg.tape().Lines();
  ASSERT_GE(lines.size(), 5u);
  lines.erase(lines.begin(), lines.end() - 5);
  EXPECT_EQ(lines[0], TapeLine("ВЫПЛАТА", "ДОК. 0003"));  // shift opening, cash in, cash out
  EXPECT_EQ(lines[1], TapeLine("КАССИР 01", "03.07.24 12:34"));
  EXPECT_EQ(lines[2], TapeLine("СУММА", "=0,50"));
  EXPECT_EQ(lines[3], TapeLine("В ЯЩИКЕ", "=99,50"));
  EXPECT_TRUE(s.shiftOpen);  // the first cash in opened the shift
  EXPECT_EQ(s.shift.cashIns, 10000);
  EXPECT_EQ(s.shift.cashOuts, 50);
  EXPECT_EQ(s.shift.cashInCount + s.shift.cashOutCount, 2);

  // Not inside a receipt, not outside registration mode.
  OpenReceipt();
  EXPECT_EQ(Code(0x49, Cash(kExecute, 100)), 0x9B);
  ASSERT_EQ(Code(0x59), 0x00);
  ASSERT_EQ(Code(0x52), 0x00);
  EXPECT_EQ(Code(0x49, Cash(kExecute, 100)), 0x66);

  // Kept in the state file.
  RegisterState loaded;
  ASSERT_TRUE(ParseState(SerializeState(s), loaded, nullptr));
  EXPECT_EQ(loaded.shift, s.shift);
  EXPECT_EQ(loaded.cashInDrawer, 9950);
}

TEST_F(CashRegisterTest, DrawerAndLastShiftAnswers) {
  reg.state().cashInDrawer = 9950;
  Bytes a = Run(0x4D);
  EXPECT_EQ(a, (Bytes{0x55,                                // marker, no result code
                      0x00, 0x00, 0x00, 0x00, 0x00, 0x99,  // whole units
                      0x50}));                             // hundredths
  EXPECT_EQ(Amount(a, kCashInDrawerFirst), "99,50");
  reg.state().cashInDrawer = 99'999'999'999'999;  // twelve nines and 99 kopecks
  EXPECT_EQ(Amount(Run(0x4D), kCashInDrawerFirst), "999999999999,99");
  EXPECT_EQ(Code(0x49, Cash(kExecute, 1)), 0x0B);  // the drawer would overflow
  // A refusal is the short answer, in any mode.
  EXPECT_EQ(reg.Execute(Bytes{0x00, 0x00, 0x4D}).payload, (Bytes{0x55, 0x8C, 0x00}));
  ASSERT_EQ(Code(0x52), 0x00);
  EXPECT_EQ(Run(0x4D).size(), 8u);

  // The last shift's total: its sales less their returns.
  EXPECT_EQ(Amount(Run(0x58), kLastShiftTotalFirst), "0,00");
  ASSERT_EQ(Code(0x56, {0x01, 0x00, 0x00, 0x00, 0x01}), 0x00);
  reg.state().cashInDrawer = 0;
  auto receipt = [&](uint8_t type, uint8_t code, Bytes item) {
    ASSERT_EQ(Code(0x92, {kExecute, type}), 0x00);
    ASSERT_EQ(Code(code, item), 0x00);
    ASSERT_EQ(Code(0x4A, {kExecute, 1, 0, 0, 0, 0, 0}), 0x00);
  };
  const Bytes quantity = NumberToBcd(1000, 10);  // 1,000
  Bytes sale = Cash(kExecute, 1000);             // 10,00
  sale.insert(sale.end(), quantity.begin(), quantity.end());
  sale.push_back(0x01);             // section 1
  Bytes ret = Cash(kExecute, 200);  // 2,00 back
  ret.insert(ret.end(), quantity.begin(), quantity.end());
  receipt(1, 0x48, sale);
  receipt(2, 0x57, ret);
  a = Run(0x58);
  ASSERT_EQ(a.size(), 9u);
  EXPECT_EQ(a[1], 0x00);  // result code
  EXPECT_EQ(Amount(a, kLastShiftTotalFirst), "8,00");
}

TEST_F(CashRegisterTest, AccountNumberAndAttributesInTheReceipt) {
  Bytes attribute3{0x00, 0x03};
  attribute3.insert(attribute3.end(), {0x88, 0x8D, 0x8D, 0x20, 0x31, 0x32, 0x33});  // code page 866
  EXPECT_EQ(Code(0x5F, {0x31, 0x32}), 0x9A);  // no receipt open
  EXPECT_EQ(Code(0xBF, attribute3), 0x9A);
  OpenReceipt();
  EXPECT_EQ(Printed(0x5F, {0x34, 0x30, 0x38, 0x31, 0x37, 0x38, 0x31, 0x30}),
            std::vector<std::string>{"СЧЕТ N 40817810"});
  EXPECT_EQ(Printed(0x5F, {0xD1, 0xF7}), std::vector<std::string>{"СЧЕТ N Сч"});  // Windows-1251
  EXPECT_EQ(Code(0x5F), 0x14);
  EXPECT_EQ(Code(0x5F, Bytes(36, 0x31)), 0x14);

  // The attribute is printed under its name in table 15; without one, under its number.
  EXPECT_EQ(Printed(0xBF, attribute3),
            std::vector<std::string>{TapeLine("НОМЕР ДОГОВОРА", "ИНН 123")});
  reg.state().tables.Set({15, 3, 1}, {0x00});
  EXPECT_EQ(Printed(0xBF, attribute3), std::vector<std::string>{TapeLine("РЕКВИЗИТ 3", "ИНН 123")});
  reg.state().tables.Set({15, 3, 1}, {0x88, 0x8D, 0x8D, 0x00, 0x00});  // "ИНН"
  EXPECT_EQ(Printed(0xBF, {0x00, 0x03, 0x31}), std::vector<std::string>{TapeLine("ИНН", "1")});
  EXPECT_EQ(Printed(0xBF, {0x00, 0x03}), std::vector<std::string>{"ИНН"});
  EXPECT_EQ(Code(0xBF, {0x00, 101, 0x31}), 0x92);
  EXPECT_EQ(Code(0xBF, {0x00}), 0x14);
  reg.faults().printerFlags = kPrinterCoverOpen;
  EXPECT_TRUE(Printed(0xBF, attribute3, 0x69).empty());
}

TEST_F(CashRegisterTest, CardDataStillWorksBesideTheAttribute) {
  OpenReceipt();
  struct Row {
    const char* what;
    Bytes params;
    uint8_t result;
    std::string number;  // the card number kept
  } rows[] = {
      {"card data",
       [] {
         Bytes p{0x31, 0x32, 0x33, 0x34};
         p.resize(40, 0);
         return p;
       }(),
       0x00, "1234"},
      {"card data with no card number",
       [] {
         Bytes p(20, 0);
         p.push_back(0x41);  // authorisation code
         p.resize(40, 0);
         return p;
       }(),
       0x00, ""},
      {"card data one byte short", Bytes(39, 0x31), 0x14, ""},
  };
  for (const Row& row : rows) {
    const size_t before = reg.tape().LineCount();
    EXPECT_EQ(Code(0xBF, row.params), row.result) << row.what;
    EXPECT_EQ(reg.tape().LineCount(), before) << row.what;  // card data prints nothing
    if (row.result == 0x00) {
      EXPECT_EQ(reg.state().receipt.card[0], row.number) << row.what;
    }
  }
  EXPECT_EQ(reg.state().receipt.card[1], "A");
  ASSERT_EQ(Code(0x52), 0x00);
  EXPECT_EQ(Code(0xBF, rows[0].params), 0x66);
}

TEST_F(CashRegisterTest, BarcodesAsBarsWithTheirDigits) {
  auto barcode = [](uint8_t type, const std::string& text) {
    Bytes p(text.size() + 1, type);
    std::copy(text.begin(), text.end(), p.begin() + 1);
    return p;
  };
  // EAN-13+2: the check digit of 460000000001 is 5.
  std::vector<std::string> lines = Printed(0xC2, barcode(0x20, "460000000001>12>"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], std::string(7, ' ') + "4600000000015" + std::string(8 + 1 + 2, ' ') + "12");
  EXPECT_EQ(CodePoints(lines[0]), 1 + 26 + 1 + 1 + 1 + 4 + 1u);  // guards, two glyphs a digit
  // EAN-8 given with its right check digit; the last separator may be missing.
  lines = Printed(0xC2, barcode(0x01, "12345670"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], std::string(5, ' ') + "12345670");

  struct Row {
    const char* what;
    Bytes params;
    uint8_t result;
  } rows[] = {
      {"wrong check digit", barcode(0x00, "4600000000016>"), 0x12},
      {"six digits for EAN-8", barcode(0x01, "123456>"), 0x13},
      {"add-on of four for +5", barcode(0x11, "1234567>1234>"), 0x13},
      {"add-on where none belongs", barcode(0x00, "460000000001>12>"), 0x13},
      {"no such symbology", barcode(0x02, "460000000001>"), 0x13},
      {"no such add-on", barcode(0x31, "1234567>123>"), 0x13},
      {"letters", barcode(0x01, "12A4567>"), 0x13},
  };
  for (const Row& row : rows) {
    const size_t before = reg.tape().LineCount();
    EXPECT_EQ(Code(0xC2, row.params), row.result) << row.what;
    EXPECT_EQ(reg.tape().LineCount(), before) << row.what;
  }
  // Every barcode the window can build fits the tape.
  lines = Printed(0xC2, barcode(0x10, "460000000001>12345>"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_LE(CodePoints(lines[0]), kTapeWidth);
}

TEST_F(CashRegisterTest, CutAndBeepNotedOnTheTape) {
  EXPECT_EQ(Printed(0x75, {0x00}),
            std::vector<std::string>{"- - - - - - - - - - отрез - - - - - - - - - -"});
  EXPECT_EQ(Printed(0x75, {0x01}),
            std::vector<std::string>{"- - - - - - - - неполный отрез - - - - - - - -"});
  EXPECT_TRUE(Printed(0x75, {0x02}, 0x13).empty());
  EXPECT_EQ(Printed(0x88, {0x19, 0x87, 0xFF}),
            std::vector<std::string>{"[звуковой сигнал: длительность 6535, количество 255]"});
  EXPECT_EQ(reg.state().beeps, 255u);
}

}  // namespace
}  // namespace ptk::emu
