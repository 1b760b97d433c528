// The one-shot commands: their table, the frames they send, their exchanges; the cut and
// beep commands.
#include "core/shell/service_commands.h"

#include <gtest/gtest.h>

#include <set>

#include "core/shell_link_fixture.h"

namespace ptk {
namespace {

using test::ShellLinkTest;
using Bytes = std::vector<uint8_t>;
using Id = ServiceCommandId;

class ServiceCommandsTest : public ShellLinkTest {};

// What each row sends after the password, and the delay after the register's ENQ.
struct Row {
  Id id;
  Bytes afterPassword;
  long delayMs;
};

TEST_F(ServiceCommandsTest, EveryRowSendsItsFrameWithItsDelay) {
  const Row rows[] = {
      {Id::OpenDrawer, {0x80}, 100},    {Id::DemoPrint, {0x82, 0x00, 0x00, 0x00}, 0},
      {Id::TechReset, {0x6B}, 200},     {Id::InitTables, {0x71}, 200},
      {Id::CancelReceipt, {0x59}, 100}, {Id::PrintHeader, {0x6C}, 0},
      {Id::PrintEnding, {0x73}, 0},
  };
  for (const Row& r : rows) {
    reg.commands.clear();
    device.ClearRecord();
    ASSERT_EQ(RunServiceCommand(link, r.id), 1) << int(r.id);
    Bytes expected = {0x12, 0x34};
    expected.insert(expected.end(), r.afterPassword.begin(), r.afterPassword.end());
    EXPECT_EQ(OnlyCommand(), expected) << int(r.id);
    EXPECT_EQ(ServiceCommandFrame(link, r.id), expected);
    long gap = TickOfWrite(0x06, 1) - TickOfWrite(0x06, 0);
    EXPECT_GE(gap, r.delayMs) << int(r.id);
    EXPECT_LT(gap, r.delayMs + 10) << int(r.id);
    EXPECT_EQ(ui.result, " 00 - Ошибок нет. Команда выполнена.");
  }
}

TEST_F(ServiceCommandsTest, BeepIsDeliveredWithoutAnswer) {
  ui.SetResult("old");
  ASSERT_EQ(RunServiceCommand(link, Id::Beep), 1);
  EXPECT_EQ(OnlyCommand(), (Bytes{0x12, 0x34, 0x47}));
  EXPECT_EQ(reg.answersSent, 0);
  EXPECT_EQ(ui.result, "");  // cleared by the delivery, nothing decoded
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ServiceCommandsTest, SilentRegisterShowsNoLink) {
  reg.enqDefault = test::Reply::Silent;
  EXPECT_EQ(RunServiceCommand(link, Id::Beep), 0);
  EXPECT_EQ(RunServiceCommand(link, Id::DemoPrint), 0);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "Нет связи!");
  EXPECT_EQ(ui.boxes[1].text, "Нет связи!");
}

TEST_F(ServiceCommandsTest, CancelReceiptAsksFirst) {
  EXPECT_TRUE(ConfirmServiceCommand(ui, Id::DemoPrint));
  EXPECT_TRUE(ui.boxes.empty());  // no question for the other rows

  ui.answers = {Answer::No, Answer::Yes};
  EXPECT_FALSE(ConfirmServiceCommand(ui, Id::CancelReceipt));
  EXPECT_TRUE(ConfirmServiceCommand(ui, Id::CancelReceipt));
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].caption, "Вопрос");
  EXPECT_EQ(ui.boxes[0].text, "Отменить текущий чек?");
  EXPECT_EQ(ui.boxes[0].icon, Icon::Question);
  EXPECT_EQ(ui.boxes[0].buttons, Buttons::YesNo);
  EXPECT_TRUE(reg.commands.empty());  // asking sends nothing
}

TEST(ServiceCommandTable, RowsAndCaptions) {
  std::set<std::string_view> items;
  for (const ServiceCommand& c : ServiceCommands()) {
    EXPECT_TRUE(items.insert(c.menuItem).second);
    EXPECT_EQ(FindServiceCommand(c.id).menuItem, c.menuItem);
  }
  EXPECT_EQ(items.size(), 8u);
  EXPECT_EQ(FindServiceCommand(Id::TechReset).caption, "Технологическое обнуление ");
  EXPECT_TRUE(FindServiceCommand(Id::TechReset).hidden);
  EXPECT_TRUE(FindServiceCommand(Id::PrintEnding).hidden);
  EXPECT_FALSE(FindServiceCommand(Id::Beep).withAnswer);
  EXPECT_EQ(FindServiceCommand(Id::OpenDrawer).caption, "Открыть денежный ящик");
}

TEST_F(ServiceCommandsTest, CutAndBeepFrames) {
  EXPECT_EQ(CutReceiptFrame(link, 0), (Bytes{0x12, 0x34, 0x75, 0x00}));
  struct Case {
    uint32_t duration, count;
    Bytes afterPassword;
  };
  const Case cases[] = {
      {100, 1, {0x88, 0x00, 0x64, 0x01}},
      {6535, 255, {0x88, 0x19, 0x87, 0xFF}},
      {100, 300, {0x88, 0x00, 0x64, 0x2C}},  // the count's low byte
      {9999, 0, {0x88, 0x27, 0x0F, 0x00}},
  };
  for (const Case& c : cases) {
    Bytes expected = {0x12, 0x34};
    expected.insert(expected.end(), c.afterPassword.begin(), c.afterPassword.end());
    EXPECT_EQ(SoundSignalFrame(link, c.duration, c.count), expected)
        << c.duration << " " << c.count;
  }
  ASSERT_EQ(SoundSignal(link, 100, 1), 1);
  ASSERT_EQ(CutReceipt(link, 0), 1);
  ASSERT_EQ(reg.commands.size(), 2u);
  EXPECT_EQ(reg.commands[0], (Bytes{0x12, 0x34, 0x88, 0x00, 0x64, 0x01}));
  EXPECT_EQ(reg.commands[1], (Bytes{0x12, 0x34, 0x75, 0x00}));
}

}  // namespace
}  // namespace ptk
