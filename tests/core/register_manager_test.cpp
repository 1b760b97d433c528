// The register manager against the virtual register on the fake clock: the grid after a
// short shift, the order of the 73 reads, a refused register whose cells hold the refusal,
// a link failure and a stop that end the run and leave the rest of the grid as it was.
#include "core/reports/register_manager.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/link/encoding.h"
#include "emulator/virtual_register.h"
#include "support/bytes.h"
#include "support/link_rig.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using Read = std::tuple<int, int, int>;  // register, parameter 1, parameter 2

class RegisterManagerTest : public ::testing::Test, public test::LinkRig {
 protected:
  RegisterManagerTest() : LinkRig(1000) {
    device.Configure(4);
    virtualRegister.SetHostTime([] { return emu::ToSeconds({2024, 7, 3, 12, 34, 56}); });
    reg.answerFor = [this](std::span<const uint8_t> command) {
      reads.emplace_back(command[3], command[4], command[5]);
      if (onRead) {
        if (std::optional<Bytes> answer = onRead(command[3], command[4], command[5]))
          return *answer;
      }
      return virtualRegister.Execute(command).payload;
    };
    for (auto& row : grid.cells) row = {"old", "old"};
  }

  // A command straight to the virtual register; its result code.
  uint8_t Run(uint8_t code, Bytes params) {
    Bytes payload = {0x73, 0x91, code};
    payload.insert(payload.end(), params.begin(), params.end());
    return virtualRegister.Execute(payload).payload.at(1);
  }
  static Bytes Money(int64_t kopecks) { return test::Money(kopecks); }
  static Bytes With(const Bytes& head, const Bytes& tail) { return test::Cat({head, tail}); }

  // A short shift: cash in 50,00; a sale of 12,34 and 5,00 × 2 paid 20,00 in cash and
  // 5,00 by payment type 2; a return of 3,00.
  void ShortShift() {
    ASSERT_EQ(Run(0x56, With({0x01}, PackBcd("00000001"))), 0x00);  // mode 1, cashier 1
    ASSERT_EQ(Run(0x49, With({0x00}, Money(5000))), 0x00);
    ASSERT_EQ(Run(0x92, {0x00, 0x01}), 0x00);
    const Bytes one = NumberToBcd(1000, 10), two = NumberToBcd(2000, 10);
    ASSERT_EQ(Run(0x48, With(With(With({0x00}, Money(1234)), one), {0x01})), 0x00);
    ASSERT_EQ(Run(0x48, With(With(With({0x00}, Money(500)), two), {0x02})), 0x00);
    ASSERT_EQ(Run(0x99, With({0x00, 0x02}, Money(500))), 0x00);
    ASSERT_EQ(Run(0x4A, With({0x00, 0x01}, Money(2000))), 0x00);
    ASSERT_EQ(Run(0x92, {0x00, 0x02}), 0x00);
    ASSERT_EQ(Run(0x57, With(With({0x00}, Money(300)), one)), 0x00);
    ASSERT_EQ(Run(0x4A, With({0x00, 0x01}, Money(0))), 0x00);
  }

  emu::VirtualRegister virtualRegister{clock};
  std::vector<Read> reads;
  // Replaces the register's answer to a read when it gives one.
  std::function<std::optional<Bytes>(int, int, int)> onRead;
  UserAbort abort;
  RegisterGrid grid;
  int steps = 0;
  RegisterStepFn step = [this] { ++steps; };
};

std::vector<Read> ExpectedOrder() {
  std::vector<Read> order;
  for (int r : {1, 2})
    for (int t = 1; t <= 6; ++t) order.emplace_back(r, t, 0);
  for (int t = 1; t <= 6; ++t)
    for (int p = 1; p <= 4; ++p) order.emplace_back(3, t, p);
  order.emplace_back(4, 0, 0);
  order.emplace_back(5, 0, 0);
  for (int r : {6, 7})
    for (int t = 1; t <= 6; ++t) order.emplace_back(r, t, 0);
  for (int r : {8, 9, 16, 21, 25, 10, 11}) order.emplace_back(r, 0, 0);
  for (int r : {12, 13, 14})
    for (int t : {0, 1}) order.emplace_back(r, t, 0);
  for (int r : {15, 17, 18, 19, 20, 22, 24, 26, 27, 28}) order.emplace_back(r, 0, 0);
  return order;
}

TEST_F(RegisterManagerTest, WholeGridAfterAShortShift) {
  ShortShift();
  abort.stopRequested = true;  // left over from an earlier operation: cleared at the start
  EXPECT_EQ(RunRegisterManager(link, abort, grid, step), 1);
  EXPECT_EQ(abort.running, RunningOperation::RegisterRead);
  EXPECT_EQ(reads, ExpectedOrder());
  EXPECT_EQ(steps, 1 + kManagerCommandCount);
  EXPECT_TRUE(ui.boxes.empty());

  EXPECT_EQ(grid.At(0, 0), "                        ОПИСАНИЕ РЕГИСТРА");
  EXPECT_EQ(grid.At(0, 1), "         ЗНАЧЕНИЕ РЕГИСТРА");
  EXPECT_EQ(grid.At(13, 0), " 3. Сумма платежей продаж (тип опл.1)");
  EXPECT_EQ(grid.At(17, 0), " 3. Сумма платежей возвр. продаж (тип опл. 1)");
  EXPECT_EQ(grid.At(89, 0), "28. Смена активизации ЭКЛЗ");

  const std::pair<int, const char*> values[] = {
      {1, "22,34"},          // sales registered
      {2, "3,00"},           // returns registered
      {3, "0,00"},           // annulments
      {7, "0,00"},           // no storno
      {13, "17,34"},         // sales paid in cash, change deducted
      {14, "5,00"},          // sales paid by type 2
      {17, "3,00"},          // the return paid out in cash
      {37, "50,00"},         // cash in
      {38, "0,00"},          // cash out
      {39, "2"},             // sale registrations
      {40, "1"},             // return registrations
      {51, "1"},             // cash-in documents
      {53, "64,34"},         // drawer: 50,00 + 17,34 − 3,00
      {54, "19,34"},         // revenue: 22,34 − 3,00
      {55, "19,34"},         // shift total of sales
      {56, "0,00"},          // of purchases
      {57, "19,34"},         // non-resettable: nothing closed yet, plus this shift
      {59, "19,34"},         //
      {61, "4"},             // re-registrations left
      {62, "2100"},          // fiscal-memory records left
      {63, "03/07/24"},      // the register's date
      {64, "12:34:56"},      // and time
      {65, "1"},             // shift open
      {66, "00/00/00"},      // never closed
      {68, "1"},             // mode 1
      {69, "0"},             // no receipt open
      {70, "2"},             // receipt number
      {71, "4"},             // documents: shift opening, cash in, two receipts
      {72, "0,00"},          // no open receipt
      {75, "0"},             // no closed shift
      {76, "0102030"},       // factory number 00102030
      {77, ""},              // reserved
      {78, "42"},            // text line
      {79, "320"},           // graphic line
      {80, "128"},           // bytes per command
      {81, "0"},             // ЭКЛЗ never activated
      {82, "50"},            //
      {83, "000000000000"},  // not fiscalised
      {84, "0000000000"},    //
      {87, "0000123456"},    // the ЭКЛЗ's number
  };
  for (const auto& [row, value] : values) EXPECT_EQ(grid.At(row, 1), value) << row;
  for (int row = 1; row < kManagerRows; ++row) {
    EXPECT_EQ(grid.At(row, 0), RegisterDescriptions()[static_cast<size_t>(row - 1)]);
    if (row != kManagerReservedRow) {
      EXPECT_FALSE(grid.At(row, 1).empty()) << row;
    }
  }
}

TEST_F(RegisterManagerTest, RefusedRegistersHoldTheRefusalAndTheRunGoesOn) {
  onRead = [](int number, int, int) -> std::optional<Bytes> {
    if (number == 25 || number == 27) return Bytes{0x55, 0x6C, 0x00};
    return std::nullopt;
  };
  EXPECT_EQ(RunRegisterManager(link, abort, grid, step), 1);
  const std::string refusal = " 6C - Неверный номер регистра.";
  EXPECT_EQ(grid.At(80, 1), refusal);
  for (int row = 83; row <= 86; ++row) EXPECT_EQ(grid.At(row, 1), refusal) << row;
  EXPECT_EQ(grid.At(53, 1), "0,00");  // register 10, read after 25
  EXPECT_EQ(grid.At(87, 1), "0000123456");
  EXPECT_EQ(reads.size(), 73u);
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{refusal, refusal}));
}

TEST_F(RegisterManagerTest, LinkFailureEndsTheRunAndKeepsTheRest) {
  onRead = [this](int number, int, int) -> std::optional<Bytes> {
    if (number == 10) reg.enqDefault = test::Reply::Silent;  // gone from the next command on
    return std::nullopt;
  };
  EXPECT_EQ(RunRegisterManager(link, abort, grid, step), 0);
  EXPECT_EQ(grid.At(53, 1), "0,00");  // register 10
  for (int row : {54, 55, 61, 77, 89}) EXPECT_EQ(grid.At(row, 1), "old") << row;
  EXPECT_EQ(grid.At(89, 0), "28. Смена активизации ЭКЛЗ");  // the descriptions are all there
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет связи!"});
  EXPECT_EQ(reads.size(), 56u);
  EXPECT_EQ(steps, 1 + 56 + 1);  // the descriptions, 56 reads, the failed one
}

TEST_F(RegisterManagerTest, StopDuringRegister3) {
  // "Прервать" pressed while the register answers register 3, receipt type 2, payment 1.
  onRead = [this](int number, int p1, int p2) -> std::optional<Bytes> {
    if (number == 3 && p1 == 2 && p2 == 1) abort.stopRequested = true;
    return std::nullopt;
  };
  EXPECT_EQ(RunRegisterManager(link, abort, grid, step), 0);
  EXPECT_EQ(grid.At(17, 1), "0,00");  // the read during which the stop came is written
  for (int row : {18, 36, 37, 89}) EXPECT_EQ(grid.At(row, 1), "old") << row;
  EXPECT_EQ(reads.size(), 17u);
  EXPECT_EQ(reads.back(), (Read{3, 2, 1}));
  EXPECT_EQ(steps, 1 + 17);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "Информация");
  EXPECT_EQ(ui.boxes[0].text, "Прервано пользователем!");
}

}  // namespace
}  // namespace ptk
