// The fault list and the state file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

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
