// The register's reports and fiscal memory: X reports from the shift's counters, the Z
// report closing the shift, the general clearing, factory number and fiscalisation with
// their refusals, ranges and reports from the memory's records, printing as a timed
// submode with the paper running out and ExitMode ending it, and the fiscal memory in
// the state file.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/link/encoding.h"
#include "emulator/receipt_book.h"
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

// Registration number, ИНН, fiscal-memory password.
Bytes Requisites(uint64_t regNumber, uint64_t inn, const char* password) {
  return Cat({NumberToBcd(regNumber, 10), NumberToBcd(inn, 12), PackBcd(password)});
}

class ReportRegisterTest : public test::RegisterRig {
 public:
  ReportRegisterTest() : RegisterRig(ToSeconds({2013, 7, 3, 12, 34, 56})) {}

  // A sale receipt of one item in section 2, paid in cash.
  void Sale(int64_t price) { Receipt(price, 1, 2); }
  void Fiscalize() { RegisterRig::Fiscalize("12345678"); }
  // Opens a shift with a sale and closes it with a Z report on the given day.
  void Shift(int day, int64_t price) {
    host = ToSeconds({2013, 7, day, 10, 0, 0});
    Sale(price);
    ZReport();
  }
};

TEST_F(ReportRegisterTest, XReportsFromTheShiftsCounters) {
  Sale(611);
  Sale(1000);
  ASSERT_EQ(Enter(2, "00000029"), 0x00);
  struct Row {
    uint8_t type;
    std::string line;  // a line the report prints
  } rows[] = {
      {1, TapeLine("ПРОДАЖА", "ЧЕКОВ 0002")},
      {1, TapeLine("  ИТОГ", "=16,11")},
      {1, TapeLine("СМЕННЫЙ ИТОГ", "=16,11")},
      {2, TapeLine("  ПРОДАЖА", "=16,11")},  // under "СЕКЦИЯ 02"
      {3, TapeLine("КАССИР 01  ЧЕКОВ 2", "=16,11")},
      {5, TapeLine("12:00-13:00  ЧЕКОВ 2", "=16,11")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    reg.tape().Clear();
    ASSERT_EQ(Code(0x67, {row.type}), 0x00);
    EXPECT_EQ(ModeByte(), 0x22);       // printing
    EXPECT_EQ(Code(0x67, {1}), 0x66);  // nothing else while it prints
    EXPECT_FALSE(TapeHas(row.line));   // not yet printed
    EXPECT_EQ(Printed(), 0x02);
    EXPECT_TRUE(TapeHas(row.line));
  }
  EXPECT_EQ(Code(0x67, {4}), 0xA3);  // no report of type 4
  // An X report clears nothing.
  EXPECT_EQ(reg.state().shift.totals[0], 1611);
  EXPECT_TRUE(reg.state().shiftOpen);
  // A report prints at the printer's rate: a few hundred milliseconds at the default rate.
  reg.tape().Clear();
  ASSERT_EQ(Code(0x67, {1}), 0x00);
  clock.Advance(VirtualRegister::kDefaultReportLineMs * 5);
  EXPECT_EQ(ModeByte(), 0x22);
  // The receipt header's two lines at once, then the report's own at the printer's rate.
  EXPECT_EQ(reg.tape().LineCount(), 2u + 5u);
}

TEST_F(ReportRegisterTest, ZReportClosesTheShiftAndGeneralClearingFollows) {
  Sale(611);
  ASSERT_EQ(Enter(3, "00000029"), 0x00);
  EXPECT_EQ(Code(0x77), 0xC9);  // the shift must be closed first
  ASSERT_EQ(Code(0x5A), 0x00);
  EXPECT_EQ(ModeByte(), 0x23);
  const RegisterState& s = reg.state();
  EXPECT_FALSE(s.shiftOpen);
  EXPECT_EQ(s.lastClosedShift, 1);
  EXPECT_EQ(s.shift, ShiftCounters{});
  EXPECT_TRUE(s.fm.shifts.empty());  // not fiscalised: no record
  EXPECT_EQ(Printed(), 0x03);
  EXPECT_TRUE(TapeHas(TapeLine("  ИТОГ", "=6,11")));
  EXPECT_TRUE(TapeHas(TapeLine("СМЕНА 0001 ЗАКРЫТА", "03.07.13 12:34")));
  EXPECT_EQ(Code(0x5A), 0x8F);  // a second Z report: nothing to clear
  // The last shift's total stays for the drawer-sum query.
  EXPECT_EQ(Run(0x58), Cat({{0x55, 0x00}, NumberToBcd(611, 14)}));

  ASSERT_EQ(Code(0x77), 0x00);
  EXPECT_EQ(ModeByte(), 0x63);  // general clearing in progress
  EXPECT_EQ(Printed(), 0x03);
  EXPECT_EQ(s.cashInDrawer, 0);
  EXPECT_TRUE(TapeHas("РЕГИСТРЫ ОБНУЛЕНЫ"));
  EXPECT_EQ(Code(0x77), 0x8F);
}

TEST_F(ReportRegisterTest, FactoryNumberOnceAndFiscalisationWithItsLimits) {
  reg.state().factoryNumber = "00000000";
  ASSERT_EQ(Enter(5, "00000000"), 0x00);
  const Bytes requisites = Requisites(77, 123, "12345678");
  struct Row {
    const char* what;
    uint8_t code;
    Bytes params;
    uint8_t result;
  } rows[] = {
      {"fiscalisation without a factory number", 0x62, requisites, 0xA9},
      {"ranges before fiscalisation", 0x63, {}, 0xA8},
      {"factory number zero", 0x61, {0x00, 0x00, 0x00, 0x00}, 0xA5},
      {"factory number not BCD", 0x61, {0x00, 0x00, 0x01, 0x2A}, 0xA5},
      {"factory number 123", 0x61, {0x00, 0x00, 0x01, 0x23}, 0x00},
      {"factory number again", 0x61, {0x00, 0x00, 0x04, 0x56}, 0x9E},
      {"registration number zero", 0x62, Requisites(0, 123, "12345678"), 0xA6},
      {"ИНН zero", 0x62, Requisites(77, 0, "12345678"), 0xA7},
      {"password not BCD", 0x62, Cat({NumberToBcd(77, 10), NumberToBcd(123, 12), {0xAA, 0, 0, 0}}),
       0xA4},
      {"fiscalisation", 0x62, requisites, 0x00},
      {"re-registration 1", 0x62, requisites, 0x00},
      {"re-registration 2", 0x62, requisites, 0x00},
      {"re-registration 3", 0x62, requisites, 0x00},
      {"re-registration 4", 0x62, Requisites(78, 124, "87654321"), 0x00},
      {"a fifth re-registration", 0x62, requisites, 0x9F},
      {"ranges with no shift closed", 0x63, {}, 0xAA},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Code(row.code, row.params), row.result);
  }
  const RegisterState& s = reg.state();
  EXPECT_EQ(s.factoryNumber, "00000123");
  EXPECT_TRUE(s.fiscalized);
  ASSERT_EQ(s.fm.registrations.size(), 5u);
  EXPECT_EQ(s.fm.registrations.back().regNumber, "0000000078");
  EXPECT_EQ(s.fm.registrations.back().inn, "000000000124");
  EXPECT_TRUE(TapeHas(TapeLine("ЗАВОДСКОЙ НОМЕР", "00000123")));
  EXPECT_TRUE(TapeHas(CentredLine("ПЕРЕРЕГИСТРАЦИЯ 4")));
  // The fiscal memory's password is the last one given.
  EXPECT_EQ(Enter(5, "12345678"), 0x8C);
  EXPECT_EQ(Enter(5, "87654321"), 0x00);
  // An open shift needs its Z report before a re-registration.
  host += 86400;
  Sale(100);
  EXPECT_EQ(Enter(5, "87654321"), 0x00);
  EXPECT_EQ(Code(0x62, requisites), 0xC9);
}

TEST_F(ReportRegisterTest, RangesAndReportsFromTheRecords) {
  Fiscalize();
  Shift(1, 611);
  Shift(3, 1000);
  ASSERT_EQ(Enter(5, "12345678"), 0x00);
  // First date, last date (day, month, year), first shift, last shift.
  EXPECT_EQ(Run(0x63),
            Cat({{0x55, 0x00}, {0x01, 0x07, 0x13, 0x03, 0x07, 0x13}, {0x00, 0x01, 0x00, 0x02}}));
  ASSERT_EQ(reg.state().fm.shifts.size(), 2u);
  EXPECT_EQ(reg.state().fm.shifts[1].totals[0], 1000);

  struct Row {
    const char* what;
    uint8_t code;
    Bytes params;
    uint8_t result;
    std::vector<std::string> printed, notPrinted;
  } rows[] = {
      {"full by shifts 2..2",
       0x66,
       {1, 0x00, 0x02, 0x00, 0x02},
       0x00,
       {TapeLine("СМЕНА 0002", "03.07.13"), TapeLine("ИТОГО ЗА ПЕРИОД", "СМЕН 1")},
       {TapeLine("СМЕНА 0001", "01.07.13")}},
      {"short by dates 01.07..03.07",
       0x65,
       {0, 0x01, 0x07, 0x13, 0x03, 0x07, 0x13},
       0x00,
       {TapeLine("ИТОГО ЗА ПЕРИОД", "СМЕН 2"), TapeLine("ПРОДАЖА", "=16,11"),
        TapeLine("РНМ", "0000000077")},
       {TapeLine("СМЕНА 0001", "01.07.13")}},
      {"by dates with no shift", 0x65, {1, 0x02, 0x07, 0x13, 0x02, 0x07, 0x13}, 0xAA, {}, {}},
      {"by dates, first after last", 0x65, {1, 0x03, 0x07, 0x13, 0x01, 0x07, 0x13}, 0x94, {}, {}},
      {"by dates, 31 June", 0x65, {1, 0x31, 0x06, 0x13, 0x01, 0x07, 0x13}, 0x94, {}, {}},
      {"by shifts, first after last", 0x66, {1, 0x00, 0x02, 0x00, 0x01}, 0xA2, {}, {}},
      {"by shifts, type 2", 0x66, {2, 0x00, 0x01, 0x00, 0x02}, 0xA3, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reg.tape().Clear();
    ASSERT_EQ(Code(row.code, row.params), row.result);
    if (row.result != 0x00) continue;
    EXPECT_EQ(ModeByte(), 0x25);
    EXPECT_EQ(Printed(), 0x05);
    for (const std::string& line : row.printed) EXPECT_TRUE(TapeHas(line)) << line;
    for (const std::string& line : row.notPrinted) EXPECT_FALSE(TapeHas(line)) << line;
  }
}

TEST_F(ReportRegisterTest, PaperOutMidReportAndExitModeEndingOne) {
  Fiscalize();
  Shift(1, 611);
  ASSERT_EQ(Enter(5, "12345678"), 0x00);
  reg.tape().Clear();
  reg.faults().paperOutAfterLines = 3;
  ASSERT_EQ(Code(0x66, {1, 0x00, 0x01, 0x00, 0x01}), 0x00);
  EXPECT_EQ(Printed(), 0x05);                   // out of the printing submode
  EXPECT_EQ(Run(0x45).at(2), kPrinterNoPaper);  // with the flag set
  EXPECT_EQ(reg.tape().LineCount(), 3u);
  EXPECT_EQ(Code(0x66, {1, 0x00, 0x01, 0x00, 0x01}), 0x67);  // no paper: no report
  reg.faults().printerFlags = 0;

  // A long report (30 s) goes on until ExitMode ends it.
  ASSERT_TRUE(ApplyFaultSpec("reporttime=30000/1", reg.faults()));
  ASSERT_EQ(Code(0x60), 0x00);
  clock.Advance(20000);
  EXPECT_EQ(ModeByte(), 0x25);
  EXPECT_EQ(Code(0x52), 0x00);
  EXPECT_EQ(ModeByte(), 0x00);
  EXPECT_TRUE(TapeHas("ПЕЧАТЬ ОТЧЕТА ПРЕРВАНА"));
  EXPECT_FALSE(reg.ReportPrinting());

  // The emergency report from the choice mode takes the register to 0x25, then 0x05.
  ASSERT_EQ(Code(0x60), 0x00);
  EXPECT_EQ(ModeByte(), 0x25);
  EXPECT_EQ(Printed(), 0x05);
  EXPECT_TRUE(TapeHas(TapeLine("СМЕНА 0001 01.07.13", "=6,11")));
  reg.state().fiscalized = false;
  EXPECT_EQ(Code(0x60), 0xA8);
}

TEST_F(ReportRegisterTest, FiscalMemorySurvivesTheStateFile) {
  Fiscalize();
  Shift(1, 611);
  Shift(2, 250);
  Sale(100);
  const std::string text = SerializeState(reg.state());
  RegisterState loaded;
  ASSERT_TRUE(ParseState(text, loaded));
  EXPECT_EQ(loaded.fm, reg.state().fm);
  EXPECT_EQ(loaded.shift, reg.state().shift);  // the shift's counters by cashier and hour too
  EXPECT_EQ(loaded.lastShiftTotal, 250);
  EXPECT_FALSE(loaded.generalClearingDone);

  // A file of an earlier version has no fiscal memory; a report printing when the state was
  // saved is gone after the restart.
  std::string old;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    const std::string line = text.substr(start, end - start);
    if (line.rfind("fm.", 0) != 0 && line.rfind("submode ", 0) != 0 && line.rfind("mode ", 0) != 0)
      old += line + "\n";
  }
  old += "mode 5\nsubmode 2\n";
  ASSERT_TRUE(ParseState(old, loaded));
  EXPECT_EQ(loaded.fm, FiscalMemory{});
  EXPECT_EQ(loaded.ModeByte(), 0x05);
  EXPECT_FALSE(ParseState(std::string(kStateFileHeader) + "\nfm.shift 1 20130701 1 2\n", loaded));
}

}  // namespace
}  // namespace ptk::emu
