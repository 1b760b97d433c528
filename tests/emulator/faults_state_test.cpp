// The fault list and the state file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>

#include "core/link/encoding.h"
#include "emulator/faults.h"
#include "emulator/state_file.h"
#include "emulator/virtual_register.h"
#include "support/fake_clock.h"

namespace ptk::emu {
namespace {

TEST(FaultSpecTest, Items) {
  struct Row {
    const char* spec;
    bool ok;
    void (*check)(const Faults&);
  };
  const Row rows[] = {
      {"nak=2", true, [](const Faults& f) { EXPECT_EQ(f.nakFrames, 2); }},
      {"badcheck=6,silent=5", true,
       [](const Faults& f) {
         EXPECT_EQ(f.badCheck, 6);
         EXPECT_EQ(f.silentEnq, 5);
       }},
      {"noanswer=1", true, [](const Faults& f) { EXPECT_EQ(f.noAnswer, 1); }},
      {"delay=300", true,
       [](const Faults& f) {
         EXPECT_EQ(f.delay.ms, 300u);
         EXPECT_EQ(f.delay.count, kEveryTime);
       }},
      {"delay=300/2 pause=40/1", true,
       [](const Faults& f) {
         EXPECT_EQ(f.delay.count, 2);
         EXPECT_EQ(f.pause.ms, 40u);
         EXPECT_EQ(f.pause.count, 1);
       }},
      {"code=56:8C/1", true,
       [](const Faults& f) {
         ASSERT_EQ(f.codes.count(0x56), 1u);
         EXPECT_EQ(f.codes.at(0x56).resultCode, 0x8C);
         EXPECT_EQ(f.codes.at(0x56).count, 1);
       }},
      {"code=0x3F:0x66", true,
       [](const Faults& f) { EXPECT_EQ(f.codes.at(0x3F).count, kEveryTime); }},
      {"nopaper,noroll", true, [](const Faults& f) { EXPECT_EQ(f.printerFlags, 0x09); }},
      {"nolink;coveropen", true, [](const Faults& f) { EXPECT_EQ(f.printerFlags, 0x06); }},
      {"nopaper,nopaper=0", true, [](const Faults& f) { EXPECT_EQ(f.printerFlags, 0); }},
      {"", true, [](const Faults& f) { EXPECT_EQ(f.nakFrames, 0); }},
      {"nak", false, nullptr},
      {"nak=-1", false, nullptr},
      {"nak=x", false, nullptr},
      {"delay=5/", false, nullptr},
      {"code=56", false, nullptr},
      {"code=156:00", false, nullptr},
      {"code=56:100", false, nullptr},
      {"boom=1", false, nullptr},
      {"nak=1,boom", false, nullptr},
  };
  for (const Row& row : rows) {
    Faults f;
    std::string error;
    EXPECT_EQ(ApplyFaultSpec(row.spec, f, &error), row.ok) << row.spec;
    if (row.ok) {
      row.check(f);
    } else {
      EXPECT_FALSE(error.empty()) << row.spec;
      EXPECT_EQ(f.nakFrames, 0) << "nothing applied for " << row.spec;
    }
  }
}

TEST(FaultSpecTest, ClearAndRemove) {
  Faults f;
  ASSERT_TRUE(ApplyFaultSpec("nak=3,code=52:66,nopaper", f));
  ASSERT_TRUE(ApplyFaultSpec("code=52:66/0", f));
  EXPECT_TRUE(f.codes.empty());
  ASSERT_TRUE(ApplyFaultSpec("clear", f));
  EXPECT_EQ(f.nakFrames, 0);
  EXPECT_EQ(f.printerFlags, 0);
}

TEST(FaultSpecTest, TimedFaultsAreUsedUp) {
  TimedFault once{100, 1};
  EXPECT_EQ(once.Take(), 100u);
  EXPECT_EQ(once.Take(), 0u);
  TimedFault always{50, kEveryTime};
  EXPECT_EQ(always.Take(), 50u);
  EXPECT_EQ(always.Take(), 50u);
}

class StateFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("ptk-state-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    path = (dir / "register.state").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  std::string path;
};

TEST_F(StateFileTest, RoundTripKeepsEverything) {
  test::FakeClock clock;
  VirtualRegister reg{clock};
  RegisterState& s = reg.state();
  s.mode = 4;
  s.submode = 1;
  s.cashier = 30;
  s.clockOffset = -86400 * 3 + 17;
  s.pendingDate = 20240305;
  s.shiftOpen = true;
  s.receiptSum = 123456789012;
  s.deviceName = "ПТК №2";
  s.tables.Set({6, 1, 1}, Utf8ToCp866("ООО \"Тест\""));
  s.tables.Set({6, 2, 1}, {0x00});
  s.tables.Set({2, 1, 23}, {0x12, 0x34});
  s.tables.Set({15, 101, 1}, {});
  ASSERT_TRUE(SaveState(s, path));
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

  RegisterState loaded;
  bool existed = false;
  ASSERT_TRUE(LoadState(loaded, path, &existed));
  EXPECT_TRUE(existed);
  EXPECT_EQ(SerializeState(loaded), SerializeState(s));
  EXPECT_EQ(loaded.mode, 4);
  EXPECT_EQ(loaded.clockOffset, s.clockOffset);
  EXPECT_EQ(loaded.receiptSum, 123456789012);
  EXPECT_EQ(loaded.deviceName, "ПТК №2");
  EXPECT_EQ(ReceiptTextLines(loaded.tables, 1, 4), (std::vector<std::string>{"ООО \"Тест\""}));
  EXPECT_TRUE(loaded.tables.Has({15, 101, 1}));
  EXPECT_EQ(loaded.tables.Get({2, 1, 23}), (std::vector<uint8_t>{0x12, 0x34}));
}

TEST_F(StateFileTest, MissingFileLeavesTheStateAlone) {
  RegisterState s;
  s.cashier = 9;
  bool existed = true;
  EXPECT_TRUE(LoadState(s, path, &existed));
  EXPECT_FALSE(existed);
  EXPECT_EQ(s.cashier, 9);
}

TEST_F(StateFileTest, MalformedFilesAreRefusedWithoutChange) {
  const char* texts[] = {
      "something else\nmode 1\n",
      "ptk-emulator-state 1\nmode one\n",
      "ptk-emulator-state 1\ntable 2 1 23 XYZ\n",
      "ptk-emulator-state 1\ntable 300 1 1 00\n",
      "ptk-emulator-state 2\n",
  };
  for (const char* text : texts) {
    RegisterState s;
    s.cashier = 9;
    std::string error;
    EXPECT_FALSE(ParseState(text, s, &error)) << text;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(s.cashier, 9) << text;
  }
}

// Every field within its range loads; the first value outside it on either side, a line
// that cannot be read and a record with fields missing are refused with the line's number,
// and the state stays as it was (a file is never half loaded).
TEST_F(StateFileTest, ValuesOutOfRangeAndMalformedLinesAreRefusedNamingTheLine) {
  constexpr int64_t kInt = std::numeric_limits<int>::max();
  constexpr int64_t kInt64 = std::numeric_limits<int64_t>::max();    // no value above it
  const std::string picture = "picture @ " + std::string(144, 'A');  // 72 bytes
  auto zeros = [](int n) {
    std::string text;
    while (n-- > 0) text += "0 ";
    return text;
  };
  struct Range {
    std::string line;  // @ stands for the value
    int64_t lowest;
    int64_t highest;
  } ranges[] = {
      {"mode @", 0, 15},
      {"submode @", 0, 15},
      {"cashier @", 0, 30},
      {"model @", 0, 65535},
      {"firmwareVersion @", 0, 65535},
      {"firmwareSubversion @", 0, 65535},
      {"fmVersion @", 0, 65535},
      {"fmSubversion @", 0, 65535},
      {"languageTable @", 0, 255},
      {"portNumber @", 0, 255},
      {"decimalPoint @", 0, 255},
      {"fiscalized @", 0, 1},
      {"batteryLow @", 0, 1},
      {"shiftOpen @", 0, 1},
      {"lastClosedShift @", 0, kInt},
      {"receiptNumber @", 0, kInt},
      {"receiptState @", 0, 6},
      {"beeps @", 0, kInt64},
      {"drawerOpenings @", 0, kInt64},
      {"documentNumber @", 0, kInt},
      {"receipt.receiptAdjustments @", 0, kInt},
      {"receipt.lastCommand @", 0, 255},
      {"receipt.lastAdjustmentOnLine @", 0, 1},
      {"shift.annulledReceipts @", 0, kInt},
      {"shift.cashInCount @", 0, kInt},
      {"shift.cashOutCount @", 0, kInt},
      {"counters.inn @", 0, 999'999'999'999},
      {"counters.registrationNumber @", 0, 9'999'999'999},
      {"counters.fiscalisationShift @", 0, kInt},
      {"counters.reregistrations @", 0, 4},
      {"counters.eklzNumber @", 0, 9'999'999'999},
      {"counters.eklzActivations @", 0, 50},
      {"counters.eklzActivationShift @", 0, kInt},
      {"generalClearingDone @", 0, 1},
      // Lists of counts: each value within the type, here the last one.
      {"shift.registrationCount " + zeros(5) + "@", -kInt - 1, kInt},
      {"shift.stornoCount " + zeros(5) + "@", -kInt - 1, kInt},
      {"shift.receipts " + zeros(5) + "@", -kInt - 1, kInt},
      {"shift.cashierReceipts " + zeros(29) + "@", -kInt - 1, kInt},
      {"shift.hourReceipts " + zeros(23) + "@", -kInt - 1, kInt},
      // Records: code, price, quantity, section, amount, adjustment.
      {"receipt.line @ 100 1000 1 100 0", 0, 255},
      {"receipt.line 72 100 1000 @ 100 0", 1, 16},
      {"receipt.card @ 4000", 0, 2},
      {"fm.registration @ 0000000001 000000000001 0", 0, kInt},
      {"fm.registration 20260101 0000000001 000000000001 @", 0, kInt},
      {"fm.shift @ 20260101 0 0 0 0 0 0", 0, kInt},
      {"fm.shift 1 @ 0 0 0 0 0 0", 0, kInt},
      // Kind, KPK, shift, time, document, type, total, six totals.
      {"eklz.record 0 1 @ 0 0 0 0 0 0 0 0 0 0", 0, kInt},
      {"eklz.record 0 1 0 0 @ 0 0 0 0 0 0 0 0", 0, kInt},
      {"eklz.record 0 1 0 0 0 @ 0 0 0 0 0 0 0", 0, 6},
      {"table @ 1 1 00", 0, 255},
      {"table 1 @ 1 00", 0, 65535},
      {"table 1 1 @ 00", 0, 255},
      {picture, 1, 72},
      {"pictures.uploadOpen @", 0, 1},
  };
  const std::string header = std::string(kStateFileHeader) + "\ncashier 5\n";
  auto with = [](std::string line, int64_t value) {
    return line.replace(line.find('@'), 1, std::to_string(value));
  };
  auto refused = [&](const std::string& line, const std::string& says) {
    RegisterState s;
    s.cashier = 9;
    const std::string before = SerializeState(s);
    std::string error;
    EXPECT_FALSE(ParseState(header + line + "\n", s, &error)) << line;
    EXPECT_EQ(error.rfind("line 3: ", 0), 0u) << error;
    EXPECT_NE(error.find(says), std::string::npos) << error;
    EXPECT_EQ(SerializeState(s), before) << line;
  };
  for (const Range& r : ranges) {
    SCOPED_TRACE(r.line);
    for (int64_t v : {r.lowest, r.highest}) {
      RegisterState s;
      std::string error;
      EXPECT_TRUE(ParseState(header + with(r.line, v) + "\n", s, &error)) << v << ": " << error;
    }
    refused(with(r.line, r.lowest - 1), std::to_string(r.lowest - 1) + " is out of range");
    if (r.highest != kInt64)
      refused(with(r.line, r.highest + 1), std::to_string(r.highest + 1) + " is out of range");
  }
  const struct {
    const char* line;
    const char* says;
  } malformed[] = {
      {"mode 1x", "mode: cannot read \"1x\""},
      {"beeps 9223372036854775808", "cannot read"},  // beyond 64 bits
      {"cashier", "cashier has no value"},
      {"fm.shift 1 20260101 0 0", "fm.shift needs 8 numbers, has 4"},
      {"receipt.line 72 100 1000 1 100", "receipt.line needs 6 numbers, has 5"},
      {"shift.receipts 0 0 0", "shift.receipts needs 6 numbers, has 3"},
      {"table 1 1 1", "table needs 4 fields"},
      {"fm.registration 20260101 0000000001", "fm.registration needs 4 fields"},
      {"factoryNumber 123456789", "is not up to eight digits"},
      {"fiscalMemoryPassword 1234567", "is not eight digits"},
  };
  for (const auto& m : malformed) refused(m.line, m.says);
}

TEST_F(StateFileTest, UnknownKeysAreSkipped) {
  RegisterState s;
  EXPECT_TRUE(ParseState("ptk-emulator-state 1\nfutureThing 5\ncashier 3\n", s));
  EXPECT_EQ(s.cashier, 3);
}

TEST_F(StateFileTest, SaveReplacesTheOldFileWhole) {
  {
    std::ofstream old(path);
    old << std::string(10000, 'x');
  }
  RegisterState s;
  ASSERT_TRUE(SaveState(s, path));
  std::ifstream in(path);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, kStateFileHeader);
  EXPECT_LT(std::filesystem::file_size(path), 10000u);
}

TEST_F(StateFileTest, SaveIntoAMissingFolderFails) {
  RegisterState s;
  std::string error;
  EXPECT_FALSE(SaveState(s, (dir / "no" / "such" / "file").string(), &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace ptk::emu
