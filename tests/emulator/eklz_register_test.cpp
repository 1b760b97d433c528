// The register's ЭКЛЗ: activation once with its refusals, the state answer from its real
// state, receipts and Z reports writing their records with КПК numbers, reports and
// queries printed in 0x16 from those records, closing the archive, and the records in
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

class EklzRegisterTest : public test::RegisterRig {
 public:
  EklzRegisterTest() : RegisterRig(ToSeconds({2013, 7, 3, 12, 34, 56})) {}

  uint8_t EnterEklz() { return Enter(6, "00000030"); }
  void Activate() {
    ASSERT_EQ(EnterEklz(), 0x00);
    ASSERT_EQ(Code(0xA6), 0x00);
  }
  // A fiscalised register with an activated ЭКЛЗ, shift 1 (6,11 and 10,00 sold, 2,00
  // returned) closed on 3 July 2013 and shift 2 (5,00) on 4 July; back in mode 6.
  void TwoShifts() {
    Fiscalize();
    Activate();
    Receipt(611);
    Receipt(1000);
    Receipt(200, 2);
    ZReport();
    host += 86400;
    Receipt(500);
    ZReport();
    ASSERT_EQ(EnterEklz(), 0x00);
    reg.tape().Clear();
  }
  // The ЭКЛЗ's state answer after marker and result code.
  Bytes EklzState() {
    Bytes a = Run(0xAE);
    EXPECT_EQ(a.size(), 25u);
    return Bytes(a.begin() + 2, a.end());
  }
};

TEST_F(EklzRegisterTest, ActivationOnceWithTheRegistersRefusals) {
  EXPECT_EQ(Code(0xA6), 0x66);  // only in the ЭКЛЗ mode
  ASSERT_EQ(EnterEklz(), 0x00);
  // A new ЭКЛЗ: nothing but its number.
  EXPECT_EQ(EklzState(), Cat({Money(0),
                              Bytes(5, 0x00),
                              NumberToBcd(0, 10),
                              NumberToBcd(123456, 10),
                              {0x00},
                              {0x00, 0x01}}));
  struct Row {
    const char* what;
    uint8_t code;
    Bytes params;
    uint8_t result;
  } before[] = {
      {"activation of a register not fiscalised", 0xA6, {}, 0xA8},
      {"totals before activation", 0xA8, {}, 0xD4},
      {"closing the archive before activation", 0xA7, {}, 0xD4},
      {"report by shifts before activation", 0xAD, {1, 0x00, 0x01, 0x00, 0x01}, 0xD4},
  };
  for (const Row& row : before) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Code(row.code, row.params), row.result);
  }
  Fiscalize();
  Receipt(611);  // not written: the ЭКЛЗ is not activated
  ASSERT_EQ(EnterEklz(), 0x00);
  EXPECT_EQ(Code(0xA6), 0x9C);  // the shift is open
  ZReport();
  ASSERT_EQ(EnterEklz(), 0x00);
  reg.tape().Clear();
  ASSERT_EQ(Code(0xA6), 0x00);
  EXPECT_EQ(ModeByte(), 0x06);  // printed before it answered
  EXPECT_TRUE(TapeHas(CentredLine("АКТИВИЗАЦИЯ ЭКЛЗ")));
  EXPECT_TRUE(TapeHas(TapeLine("КПК", "00000001")));
  EXPECT_EQ(Code(0xA6), 0xD4);  // once
  // The registers' counters keep step: activation 1 on 3 July 2013 before shift 2.
  const RegisterCounters& k = reg.state().counters;
  EXPECT_EQ(k.eklzActivations, 1);
  EXPECT_EQ(k.eklzActivationDate, 20130703);
  EXPECT_EQ(k.eklzActivationShift, 2);
  EXPECT_EQ(reg.state().eklz.records.size(), 1u);

  // Activated, archive open, shift 2 next; the last operation is the activation.
  EXPECT_EQ(EklzState(), Cat({Money(0),                 // no document yet
                              {0x13, 0x07, 0x03},       // 03.07.13
                              {0x12, 0x34},             // 12:34
                              NumberToBcd(1, 10),       // last КПК
                              NumberToBcd(123456, 10),  // number
                              {0x0C},                   // archive open, activated
                              {0x00, 0x02}}));
  reg.tape().Clear();
  ASSERT_EQ(Code(0xA8), 0x00);
  EXPECT_TRUE(TapeHas(TapeLine("АКТИВИЗАЦИЯ", "03.07.13 12:34")));
  EXPECT_TRUE(TapeHas(TapeLine("С СМЕНЫ", "0002")));

  // Fifty activations in all, each of its own ЭКЛЗ.
  ReplaceEklz(reg.state());
  EXPECT_EQ(reg.state().counters.eklzNumber, 123457u);
  reg.state().counters.eklzActivations = kMaxEklzActivations;
  EXPECT_EQ(Code(0xA6), 0xCF);
}

TEST_F(EklzRegisterTest, ReceiptsAndShiftsWriteTheirRecords) {
  Fiscalize();
  Activate();
  Receipt(611);
  EXPECT_TRUE(TapeHas(TapeLine("ЭКЛЗ 0000123456", "КПК 00000002")));
  // A purchase-return receipt left open: the document's sum and type, document and shift
  // open.
  ASSERT_EQ(Code(0x92, {0, 5}), 0x00);
  ASSERT_EQ(Code(0x57, Cat({{0}, Money(250), Money(2000), {0x01}})), 0x00);
  Bytes st = EklzState();
  EXPECT_EQ(Bytes(st.begin(), st.begin() + 5), Money(500));
  EXPECT_EQ(st[20], 0x03 | 0x04 | 0x08 | 0x20 | 0x40);
  ASSERT_EQ(Code(0x59), 0x00);  // annulled: not written
  st = EklzState();
  EXPECT_EQ(Bytes(st.begin(), st.begin() + 5), Money(611));  // the last receipt's
  EXPECT_EQ(st[20], 0x00 | 0x04 | 0x08 | 0x40);
  EXPECT_EQ(Bytes(st.begin() + 10, st.begin() + 15), NumberToBcd(2, 10));

  host += 3600;
  ZReport();
  const Eklz& e = reg.state().eklz;
  ASSERT_EQ(e.records.size(), 3u);
  EXPECT_EQ(e.records[2].kind, EklzRecordKind::ShiftClose);
  EXPECT_EQ(e.records[2].totals[0], 611);
  EXPECT_TRUE(TapeHas(TapeLine("ЭКЛЗ 0000123456", "КПК 00000003")));
  st = EklzState();
  EXPECT_EQ(Bytes(st.begin() + 8, st.begin() + 10), (Bytes{0x13, 0x34}));  // 13:34
  EXPECT_EQ(st[20], 0x0C);
  EXPECT_EQ(Bytes(st.begin() + 21, st.end()), (Bytes{0x00, 0x02}));

  // The clock set back before the last record: no receipt, no shift.
  host -= 7200;
  ASSERT_EQ(Enter(1, "00000001"), 0x00);
  EXPECT_EQ(Code(0x92, {0, 1}), 0x20);
  EXPECT_EQ(Code(0x9A, {0}), 0x20);
  host += 7200;
  // A full ЭКЛЗ takes no receipt that it could not close with its shift and archive.
  reg.state().eklz.records.resize(kEklzCapacity - 2, e.records[1]);
  EXPECT_EQ(Code(0x92, {0, 1}), 0xD8);
}

TEST_F(EklzRegisterTest, ReportsPrintFromTheShiftClosings) {
  TwoShifts();
  struct Row {
    const char* what;
    uint8_t code;
    Bytes params;
    uint8_t result;
    std::vector<std::string> printed, notPrinted;
  } rows[] = {
      {"full by shifts 1..25",
       0xAD,
       {1, 0x00, 0x01, 0x00, 0x25},
       0x00,
       {CentredLine("ОТЧЕТ ЭКЛЗ ПО СМЕНАМ"), TapeLine("СМЕНА 0001", "03.07.13 12:34"),
        TapeLine("  ПРОДАЖА", "=16,11"), TapeLine("  ВОЗВРАТ ПРОДАЖИ", "=2,00"),
        TapeLine("КПК", "00000005"), TapeLine("ИТОГО ЗА ПЕРИОД", "СМЕН 2"),
        TapeLine("ПРОДАЖА", "=21,11")},
       {}},
      {"short by shifts 2..2",
       0xAD,
       {0, 0x00, 0x02, 0x00, 0x02},
       0x00,
       {CentredLine("СОКРАЩЕННЫЙ"), TapeLine("ИТОГО ЗА ПЕРИОД", "СМЕН 1"),
        TapeLine("ПРОДАЖА", "=5,00")},
       {TapeLine("СМЕНА 0002", "04.07.13 12:34")}},
      {"full by dates 04.07.13",
       0xAC,
       {1, 0x04, 0x07, 0x13, 0x04, 0x07, 0x13},
       0x00,
       {TapeLine("С 04.07.13", "ПО 04.07.13"), TapeLine("СМЕНА 0002", "04.07.13 12:34")},
       {TapeLine("СМЕНА 0001", "03.07.13 12:34")}},
      {"shifts not in the ЭКЛЗ", 0xAD, {1, 0x00, 0x03, 0x00, 0x09}, 0xDA, {}, {}},
      {"dates without a shift", 0xAC, {1, 0x01, 0x01, 0x13, 0x02, 0x07, 0x13}, 0xDA, {}, {}},
      {"first shift after the last", 0xAD, {1, 0x00, 0x02, 0x00, 0x01}, 0xA2, {}, {}},
      {"type 2", 0xAD, {2, 0x00, 0x01, 0x00, 0x02}, 0xA3, {}, {}},
      {"31 June", 0xAC, {1, 0x31, 0x06, 0x13, 0x04, 0x07, 0x13}, 0x94, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reg.tape().Clear();
    ASSERT_EQ(Code(row.code, row.params), row.result);
    if (row.result != 0x00) continue;
    EXPECT_EQ(ModeByte(), 0x16);                // the ЭКЛЗ prints a report
    EXPECT_EQ(EklzState()[20] & 0x10, 0x10);    // "Снимается отчет"
    EXPECT_EQ(Code(0xA9, {0x00, 0x01}), 0x66);  // nothing else meanwhile
    clock.Advance(60000);
    EXPECT_EQ(ModeByte(), 0x06);
    EXPECT_EQ(EklzState()[20] & 0x10, 0x00);
    for (const std::string& line : row.printed) EXPECT_TRUE(TapeHas(line)) << line;
    for (const std::string& line : row.notPrinted) EXPECT_FALSE(TapeHas(line)) << line;
  }
  // ExitMode ends a report that prints.
  ASSERT_EQ(Code(0xAD, {1, 0x00, 0x01, 0x00, 0x02}), 0x00);
  EXPECT_EQ(Code(0x52), 0x00);
  EXPECT_EQ(ModeByte(), 0x00);
  EXPECT_TRUE(TapeHas("ПЕЧАТЬ ОТЧЕТА ПРЕРВАНА"));
}

TEST_F(EklzRegisterTest, QueriesFromTheRecords) {
  TwoShifts();
  // КПК: 1 activation, 2..4 the receipts of shift 1, 5 its closing, 6 and 7 shift 2.
  struct Row {
    const char* what;
    uint8_t code;
    Bytes params;
    uint8_t result;
    std::vector<std::string> printed;
  } rows[] = {
      {"totals of shift 1",
       0xA9,
       {0x00, 0x01},
       0x00,
       {CentredLine("ИТОГИ СМЕНЫ 0001"), TapeLine("СМЕНА ЗАКРЫТА", "03.07.13 12:34"),
        TapeLine("ПРОДАЖА", "=16,11"), TapeLine("КПК", "00000005")}},
      {"totals of shift 7, not there", 0xA9, {0x00, 0x07}, 0xDA, {}},
      {"control tape of shift 1",
       0xAA,
       {0x00, 0x01},
       0x00,
       {TapeLine("ПРОДАЖА", "ДОК. 0004"), TapeLine("03.07.13 12:34", "=6,11"),
        TapeLine("ВОЗВРАТ ПРОДАЖИ", "ДОК. 0006"), TapeLine("КПК", "00000004"),
        TapeLine("ЗАКРЫТИЕ СМЕНЫ 0001", "ДОК. 0007")}},
      {"control tape of shift 0", 0xAA, {0x00, 0x00}, 0xA2, {}},
      {"document with КПК 6",
       0xAB,
       {0x00, 0x00, 0x00, 0x06},
       0x00,
       {TapeLine("СМЕНА", "0002"), TapeLine("04.07.13 12:34", "=5,00"),
        TapeLine("КПК", "00000006")}},
      {"document with КПК 1: the activation",
       0xAB,
       {0x00, 0x00, 0x00, 0x01},
       0x00,
       {TapeLine("АКТИВИЗАЦИЯ", "ДОК. 0002")}},
      {"КПК 123, not there", 0xAB, {0x00, 0x00, 0x01, 0x23}, 0xDA, {}},
      {"КПК not BCD", 0xAB, {0x00, 0x00, 0x00, 0x0A}, 0xDA, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reg.tape().Clear();
    ASSERT_EQ(Code(row.code, row.params), row.result);
    if (row.result != 0x00) continue;
    EXPECT_EQ(ModeByte(), 0x16);
    clock.Advance(60000);
    EXPECT_EQ(ModeByte(), 0x06);
    for (const std::string& line : row.printed) EXPECT_TRUE(TapeHas(line)) << line;
  }
}

TEST_F(EklzRegisterTest, ClosingTheArchive) {
  TwoShifts();
  Receipt(100);  // shift 3 open
  ASSERT_EQ(EnterEklz(), 0x00);
  EXPECT_EQ(Code(0xA7), 0x21);  // not with the shift open
  ZReport();
  ASSERT_EQ(EnterEklz(), 0x00);
  reg.tape().Clear();
  ASSERT_EQ(Code(0xA7), 0x00);
  EXPECT_TRUE(TapeHas(CentredLine("ЗАКРЫТИЕ АРХИВА ЭКЛЗ")));
  EXPECT_TRUE(TapeHas(TapeLine("ЗАКРЫТО СМЕН", "3")));
  EXPECT_TRUE(TapeHas(TapeLine("ПРОДАЖА", "=22,11")));
  EXPECT_TRUE(TapeHas(TapeLine("КПК", "00000010")));
  EXPECT_EQ(EklzState()[20], 0x08);  // activated, archive closed
  struct Row {
    const char* what;
    uint8_t code;
    Bytes params;
    uint8_t result;
  } rows[] = {
      {"a second closing", 0xA7, {}, 0xD4},
      {"activating it again", 0xA6, {}, 0xD4},
      {"its reports stay", 0xAD, {1, 0x00, 0x01, 0x00, 0x03}, 0x00},
      {"its documents stay", 0xAB, {0x00, 0x00, 0x00, 0x10}, 0x00},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(Code(row.code, row.params), row.result);
    clock.Advance(60000);
  }
  // No receipt and no shift without a new ЭКЛЗ; a cash-in may still open the shift,
  // and its Z report is not refused.
  ASSERT_EQ(Enter(1, "00000001"), 0x00);
  EXPECT_EQ(Code(0x92, {0, 1}), 0xD4);
  EXPECT_EQ(Code(0x9A, {0}), 0xD4);
  ASSERT_EQ(Code(0x49, Cat({{0}, Money(100)})), 0x00);
  EXPECT_TRUE(reg.state().shiftOpen);
  ZReport();
  EXPECT_EQ(reg.state().eklz.records.size(), 10u);  // nothing written after the closing
  ASSERT_EQ(Enter(1, "00000001"), 0x00);
  ReplaceEklz(reg.state());
  EXPECT_EQ(Code(0x92, {0, 1}), 0x00);
}

TEST_F(EklzRegisterTest, RecordsInTheStateFile) {
  TwoShifts();
  ASSERT_EQ(Code(0xAD, {1, 0x00, 0x01, 0x00, 0x02}), 0x00);  // printing when saved
  const std::string text = SerializeState(reg.state());
  RegisterState loaded;
  ASSERT_TRUE(ParseState(text, loaded));
  EXPECT_EQ(loaded.eklz, reg.state().eklz);
  EXPECT_EQ(loaded.counters, reg.state().counters);
  EXPECT_EQ(loaded.ModeByte(), 0x06);  // the report was lost with the power

  // A file of an earlier version has no ЭКЛЗ records: a new ЭКЛЗ.
  std::string old;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    const std::string line = text.substr(start, end - start);
    if (line.rfind("eklz.", 0) != 0) old += line + "\n";
  }
  ASSERT_TRUE(ParseState(old, loaded));
  EXPECT_FALSE(loaded.eklz.Activated());
  // Records that an ЭКЛЗ would not have written are refused.
  const std::string header = std::string(kStateFileHeader) + "\n";
  const std::string activation = "eklz.record 0 1 1 0 1 0 0 0 0 0 0 0 0\n";
  for (const std::string& bad : std::vector<std::string>{
           "eklz.record 1 1 1 0 1 1 100 0 0 0 0 0 0\n",               // no activation first
           activation + "eklz.record 1 3 1 0 2 1 100 0 0 0 0 0 0\n",  // КПК out of order
           activation + "eklz.record 1 2 1 0 2 9 100 0 0 0 0 0 0\n",  // no receipt type 9
           activation + "eklz.record 3 2 1 0 2 0 0 0 0 0 0 0 0\n"
                        "eklz.record 1 3 1 0 3 1 100 0 0 0 0 0 0\n",  // after the closing
           activation + "eklz.record 1 2 1 0 2 1 100\n",              // too short
       }) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseState(header + bad, loaded));
  }
  ASSERT_TRUE(ParseState(header + activation, loaded));
  EXPECT_TRUE(loaded.eklz.Writing());
}

}  // namespace
}  // namespace ptk::emu
