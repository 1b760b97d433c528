// The register read of the virtual register: the 28 registers after a shift with a sale,
// storno, discount, annulment, purchase and cash in and out; the open receipt; a negative
// revenue; the closing of a shift; the refusals; and the counters in the state file and
// through the technological reset.
#include <gtest/gtest.h>

#include "core/link/encoding.h"
#include "emulator/receipt_book.h"
#include "emulator/register_counters.h"
#include "emulator/state_file.h"
#include "emulator/virtual_register.h"
#include "support/bytes.h"
#include "support/fake_clock.h"
#include "support/register_rig.h"

namespace ptk::emu {
namespace {

using Bytes = std::vector<uint8_t>;
using test::Cat;
using test::Money;

Bytes Quantity(int64_t thousandths) {
  return NumberToBcd(static_cast<uint64_t>(thousandths), 10);
}

class RegisterReadTest : public test::RegisterRig {
 public:
  RegisterReadTest() : RegisterRig(ToSeconds({2024, 7, 3, 12, 34, 56})) {
    EXPECT_EQ(Code(0x56, Cat({{0x01}, PackBcd("00000001")})), 0x00);  // mode 1, cashier 1
  }
  // The data of a register's answer (after marker and result code 00).
  Bytes Read(int number, int p1 = 0, int p2 = 0) {
    Bytes a = Run(
        0x91, {static_cast<uint8_t>(number), static_cast<uint8_t>(p1), static_cast<uint8_t>(p2)});
    EXPECT_EQ(a.at(1), 0x00) << number;
    return Bytes(a.begin() + 2, a.end());
  }

  // Cash in 100,00. A sale: 10,00 and 2,50 × 2, one 2,50 taken back, 0,50 off the receipt:
  // 12,00, paid 2,00 by type 3 and 20,00 in cash (10,00 change). An annulment of 1,00 and a
  // purchase of 3,00, both paid out in cash. Cash out 5,00.
  void Shift() {
    ASSERT_EQ(Code(0x49, Cat({{0x00}, Money(10000)})), 0x00);
    ASSERT_EQ(Code(0x92, {0x00, 0x01}), 0x00);
    ASSERT_EQ(Code(0x48, Cat({{0x00}, Money(1000), Quantity(1000), {0x01}})), 0x00);
    ASSERT_EQ(Code(0x48, Cat({{0x00}, Money(250), Quantity(2000), {0x02}})), 0x00);
    ASSERT_EQ(Code(0x4E, Cat({{0x00}, Money(250), Quantity(1000), {0x02}})), 0x00);
    ASSERT_EQ(Code(0x43, Cat({{0x00, 0x00, 0x01, 0x00}, Money(50)})), 0x00);
    ASSERT_EQ(Code(0x99, Cat({{0x00, 0x03}, Money(200)})), 0x00);
    ASSERT_EQ(Code(0x4A, Cat({{0x00, 0x01}, Money(2000)})), 0x00);
    ASSERT_EQ(Code(0x92, {0x00, 0x03}), 0x00);
    ASSERT_EQ(Code(0x41, Cat({{0x00}, Money(100), Quantity(1000)})), 0x00);
    ASSERT_EQ(Code(0x4A, Cat({{0x00, 0x01}, Money(0)})), 0x00);
    ASSERT_EQ(Code(0x92, {0x00, 0x04}), 0x00);
    ASSERT_EQ(Code(0x48, Cat({{0x00}, Money(300), Quantity(1000), {0x01}})), 0x00);
    ASSERT_EQ(Code(0x4A, Cat({{0x00, 0x01}, Money(0)})), 0x00);
    ASSERT_EQ(Code(0x4F, Cat({{0x00}, Money(500)})), 0x00);
  }
};

struct Row {
  int number, p1, p2;
  Bytes data;
};

void ExpectRows(RegisterReadTest& t, std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    EXPECT_EQ(t.Read(row.number, row.p1, row.p2), row.data)
        << "register " << row.number << " (" << row.p1 << ", " << row.p2 << ")";
  }
}

TEST_F(RegisterReadTest, EveryRegisterCountsWhatHappened) {
  RegisterCounters& k = reg.state().counters;
  k.inn = 1234567;
  k.registrationNumber = 1234567890;
  k.fiscalisationShift = 1;
  k.fiscalisationDate = 20240115;
  k.reregistrations = 1;
  k.eklzActivations = 1;
  k.eklzActivationDate = 20240115;
  k.eklzActivationShift = 1;
  k.nonResettable = {100000, 0};
  Shift();
  ExpectRows(
      *this,
      {
          {1, 1, 0, {0x00, 0x00, 0x00, 0x00, 0x15, 0x00}},  // sales registered, before discount
          {1, 3, 0, {0x00, 0x00, 0x00, 0x00, 0x01, 0x00}},  // annulments
          {1, 4, 0, {0x00, 0x00, 0x00, 0x00, 0x03, 0x00}},  // purchases
          {1, 2, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},  // no returns
          {2, 1, 0, {0x00, 0x00, 0x00, 0x00, 0x02, 0x50}},  // storno
          {3, 1, 1, {0x00, 0x00, 0x00, 0x00, 0x10, 0x00}},  // sales in cash, change deducted
          {3, 1, 3, {0x00, 0x00, 0x00, 0x00, 0x02, 0x00}},  // sales by payment type 3
          {3, 1, 2, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
          {3, 3, 1, {0x00, 0x00, 0x00, 0x00, 0x01, 0x00}},  // annulment paid out
          {3, 4, 1, {0x00, 0x00, 0x00, 0x00, 0x03, 0x00}},  // purchase paid out
          {4, 0, 0, {0x00, 0x00, 0x00, 0x01, 0x00, 0x00}},  // cash in
          {5, 0, 0, {0x00, 0x00, 0x00, 0x00, 0x05, 0x00}},  // cash out
          {6, 1, 0, {0x00, 0x02}},                          // sale registrations
          {6, 4, 0, {0x00, 0x01}},
          {7, 1, 0, {0x00, 0x01}},  // stornos
          {8, 0, 0, {0x00, 0x01}},  // cash-in documents
          {9, 0, 0, {0x00, 0x01}},
          {10, 0, 0, {0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00}},       // drawer 100+10−1−3−5
          {11, 0, 0, {0x00, /**/ 0x00, 0x00, 0x00, 0x00, 0x08, 0x00}},  // revenue 12−1−3
          {12, 0, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0x00}},       // sales less annulments
          {12, 1, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00}},       // purchases
          {13, 0, 0, {0x00, 0x00, 0x00, 0x00, 0x10, 0x11, 0x00}},       // 1000,00 kept + this shift
          {14, 0, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0x00}},  // none since re-registration
          {14, 1, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00}},
          {15, 0, 0, {0x03}},        // re-registrations left
          {16, 0, 0, {0x21, 0x00}},  // fiscal-memory records left
          {17, 0, 0, {0x03, 0x07, 0x24, /**/ 0x12, 0x34, 0x56}},
          {18, 0, 0, {0x01, /**/ 0x00, 0x00, 0x00, /**/ 0x00, 0x00, 0x00}},  // open, never closed
          // mode 1, no receipt, receipt 3, document 6 (shift, cash in, 3 receipts, cash out)
          {19, 0, 0, {0x01, 0x00, /**/ 0x00, 0x03, /**/ 0x00, 0x00, 0x00, 0x06}},
          {20, 0, 0, Bytes(15, 0x00)},  // no receipt open
          {21, 0, 0, {0x00, 0x00}},
          {22, 0, 0, {0x00, 0x10, 0x20, 0x30}},  // factory number 00102030
          {23, 0, 0, {}},                        // reserved
          {24, 0, 0, {0x42, /**/ 0x03, 0x20}},
          {25, 0, 0, {0x01, 0x28}},
          {26, 0, 0, {0x01, /**/ 0x49}},
          // ИНН (12 digits), registration number (10), first shift, date
          {27,
           0,
           0,
           {0x00, 0x00, 0x01, 0x23, 0x45, 0x67, /**/ 0x12, 0x34, 0x56, 0x78, 0x90,
            /**/ 0x00, 0x01, /**/ 0x15, 0x01, 0x24}},
          {28, 0, 0, {0x00, 0x00, 0x12, 0x34, 0x56, /**/ 0x15, 0x01, 0x24, /**/ 0x00, 0x01}},
      });

  // An open receipt of 5,00 paid 7,00 in cash: its sum, nothing left, 2,00 change.
  ASSERT_EQ(Code(0x92, {0x00, 0x01}), 0x00);
  ASSERT_EQ(Code(0x48, Cat({{0x00}, Money(500), Quantity(1000), {0x01}})), 0x00);
  ASSERT_EQ(Code(0x99, Cat({{0x00, 0x01}, Money(700)})), 0x00);
  ExpectRows(*this, {
                        {19, 0, 0, {0x41, 0x01, /**/ 0x00, 0x04, /**/ 0x00, 0x00, 0x00, 0x07}},
                        {20, 0, 0, Cat({Money(500), Money(0), Money(200)})},
                    });
  ASSERT_EQ(Code(0x4A, Cat({{0x00, 0x01}, Money(0)})), 0x00);

  // A purchase of 20,00 turns the revenue negative: 17,00 − 1,00 − 23,00 = −7,00.
  ASSERT_EQ(Code(0x92, {0x00, 0x04}), 0x00);
  ASSERT_EQ(Code(0x48, Cat({{0x00}, Money(2000), Quantity(1000), {0x01}})), 0x00);
  ASSERT_EQ(Code(0x4A, Cat({{0x00, 0x01}, Money(0)})), 0x00);
  ExpectRows(*this, {{11, 0, 0, {0x01, /**/ 0x00, 0x00, 0x00, 0x00, 0x07, 0x00}}});
}

TEST_F(RegisterReadTest, ClosingAShiftKeepsItsTotalsOnce) {
  Shift();
  RegisterState& s = reg.state();
  CountShiftClosed(s, ToSeconds({2024, 7, 3, 20, 15, 0}));
  s.shiftOpen = false;
  ++s.lastClosedShift;
  ExpectRows(*this,
             {
                 {13, 0, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0x00}},  // kept, not added again
                 {13, 1, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00}},
                 {14, 0, 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0x00}},
                 {16, 0, 0, {0x20, 0x99}},
                 {18, 0, 0, {0x00, /**/ 0x03, 0x07, 0x24, /**/ 0x20, 0x15, 0x00}},
                 {21, 0, 0, {0x00, 0x01}},
             });
}

TEST_F(RegisterReadTest, Refusals) {
  struct Refusal {
    Bytes params;
    uint8_t code;
  } rows[] = {
      {{0, 0, 0}, 0x6C},  {{29, 0, 0}, 0x6C},   {{255, 0, 0}, 0x6C},  // no such register
      {{1, 0, 0}, 0x6A},  {{7, 7, 0}, 0x6A},    {{3, 0, 1}, 0x6A},    // receipt type
      {{3, 1, 0}, 0x7E},  {{3, 1, 5}, 0x7E},                          // payment type
      {{12, 2, 0}, 0x13}, {{14, 255, 0}, 0x13},                       // total type
      {{1, 1}, 0x14},                                                 // too short
  };
  for (const Refusal& row : rows) {
    const Bytes a = Run(0x91, row.params);
    EXPECT_EQ(a, (Bytes{0x55, row.code, 0x00}));
  }
  // Parameters other registers do not take are not looked at; no mode is needed.
  reg.state().mode = 4;
  EXPECT_EQ(Run(0x91, {4, 9, 9}).at(1), 0x00);
}

TEST_F(RegisterReadTest, CountersOutliveTheStateFileAndTheTechnologicalReset) {
  RegisterState& s = reg.state();
  s.counters.inn = 1234567;
  s.counters.registrationNumber = 99;
  s.counters.eklzNumber = 5;
  s.counters.nonResettable = {7, 8};
  s.counters.sinceReregistration = {9, 10};
  s.counters.shiftClosedAt = 1234;
  RegisterState loaded;
  ASSERT_TRUE(ParseState(SerializeState(s), loaded));
  EXPECT_EQ(loaded.counters, s.counters);

  const RegisterCounters before = s.counters;
  s.mode = 0;
  ASSERT_EQ(Code(0x6B, {}), 0x00);
  EXPECT_EQ(reg.state().counters, before);
}

}  // namespace
}  // namespace ptk::emu
