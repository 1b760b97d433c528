// Mode entry: the frames of ExitMode and EnterMode, the mode password packing, the
// current mode from the state code, and the mode table of the password window.
#include "core/shell/modes.h"

#include <gtest/gtest.h>

#include "core/reports/device_state.h"
#include "core/shell_link_fixture.h"

namespace ptk {
namespace {

using test::ShellLinkTest;
using Bytes = std::vector<uint8_t>;

TEST(PackModePassword, PadsPacksAndTruncates) {
  struct Case {
    const char* text;
    Bytes packed;
  };
  const Case cases[] = {
      {"12345678", {0x12, 0x34, 0x56, 0x78}},
      {"30", {0x00, 0x00, 0x00, 0x30}},  // left-padded with '0' to eight digits
      {"", {0x00, 0x00, 0x00, 0x00}},
      {"1234567", {0x01, 0x23, 0x45, 0x67}},
      {"123456789", {0x12, 0x34, 0x56, 0x78}},  // only the first eight characters
      {"0000000A", {0x00, 0x00, 0x00, 0x01}},   // a non-digit by its low four bits ('A' = 0x41)
      {"0000000Ж", {0x00, 0x00, 0x00, 0x06}},   // code page 866: Ж = 0x86
  };
  for (const Case& c : cases) EXPECT_EQ(PackModePassword(c.text), c.packed) << c.text;
}

TEST(PackModePassword, OnlyDigitPasswordsAreSent) {
  const struct {
    const char* text;
    bool digits;
  } cases[] = {
      {"00000030", true},  {"", true},          {"0000003A", false}, {"abcdefgh", false},
      {"1234 678", false}, {"1234-678", false}, {"0000003Ж", false}, {"١٢٣٤٥٦٧٨", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDigitPassword(c.text), c.digits) << c.text;
}

TEST(ModeTable, CaptionsOfThePasswordWindow) {
  const char* titles[] = {"ВХОД В РЕЖИМ РЕГИСТРАЦИЙ",  "ВХОД В РЕЖИМ ОТЧЕТОВ",
                          "ВХОД В РЕЖИМ ГАШЕНИЙ",      "ВХОД В РЕЖИМ ПРОГРАММИРОВАНИЯ",
                          "ВХОД В РЕЖИМ ДОСТУПА К ФП", "ВХОД В РЕЖИМ ДОСТУПА К ЭКЛЗ"};
  const char* windows[] = {"fm_Chek",    "fm_Reports", "fm_Gash",
                           "fm_Program", "fm_FiskPam", "fm_EKLZ"};
  ASSERT_EQ(ModeTable().size(), 6u);
  for (int mode = 1; mode <= 6; ++mode) {
    const ModeInfo* m = FindMode(mode);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->mode, mode);
    EXPECT_EQ(m->regCommTitle, titles[mode - 1]);
    EXPECT_EQ(m->window, windows[mode - 1]);
  }
  EXPECT_EQ(FindMode(0), nullptr);
  EXPECT_EQ(FindMode(7), nullptr);
  EXPECT_EQ(FindMode(3)->menuCaption, "Гашения");
}

class ModesTest : public ShellLinkTest {};

TEST_F(ModesTest, EnterModeSendsEightBytesWithItsDelay) {
  ASSERT_EQ(EnterMode(link, 2, "30"), 1);
  EXPECT_EQ(OnlyCommand(), (Bytes{0x12, 0x34, 0x56, 0x02, 0x00, 0x00, 0x00, 0x30}));
  // The delay lies between the ACK to the register's ENQ and the ACK to its answer.
  long ackEnq = TickOfWrite(0x06, 0), ackAnswer = TickOfWrite(0x06, 1);
  ASSERT_GE(ackEnq, 0);
  ASSERT_GE(ackAnswer, 0);
  EXPECT_GE(ackAnswer - ackEnq, 50);
  EXPECT_LT(ackAnswer - ackEnq, 60);
  EXPECT_EQ(ui.result, " 00 - Ошибок нет. Команда выполнена.");
}

TEST_F(ModesTest, EnterModeRefusedReportsTheResultCode) {
  reg.answer = {0x55, 0x8C, 0x00};
  EXPECT_EQ(EnterMode(link, 3, "11111111"), kExchangeDeviceError);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "Ошибка");
}

TEST_F(ModesTest, ExitModeFrame) {
  ASSERT_EQ(ExitMode(link), 1);
  EXPECT_EQ(OnlyCommand(), (Bytes{0x12, 0x34, 0x52}));
}

TEST_F(ModesTest, CurrentModeIsTheLowNibbleOfTheStateCode) {
  for (uint8_t modeByte : {0x00, 0x01, 0x23, 0x45, 0x16, 0xE7}) {
    reg.answer = {0x45, modeByte, 0x00};
    ASSERT_EQ(QueryStateCode(link), 1);
    EXPECT_EQ(CurrentMode(link), modeByte & 0x0F);
  }
}

}  // namespace
}  // namespace ptk
