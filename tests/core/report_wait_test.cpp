// The report wait on the scripted register and the fake clock: polls and their spacing,
// the printer flags in their order, another mode, stops while printing and after the end,
// a failed poll; and the report actions that send a command before it.
#include "core/reports/report_wait.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/reports/device_state.h"
#include "shell_link_fixture.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

struct StateAnswer {
  uint8_t mode;
  uint8_t flags = 0;
};

class ReportWaitTest : public test::ShellLinkTest {
 protected:
  // The register answers the state code from `states` in turn (the last one repeats),
  // ExitMode with exitCode, anything else with 00. After the poll numbered stopAfter (from
  // 1; 0: before the wait) the person presses "Прервать"; from the poll numbered failAt on
  // the register is silent.
  void Script(std::vector<StateAnswer> states, int stopAfter = -1, int failAt = -1,
              uint8_t exitCode = 0x00) {
    states_ = std::move(states);
    if (stopAfter == 0) abort.stopRequested = true;
    if (failAt == 1) reg.enqDefault = test::Reply::Silent;
    reg.answerFor = [=, this](std::span<const uint8_t> command) -> Bytes {
      const uint8_t code = command.size() > 2 ? command[2] : 0;
      if (code == 0x52) return {0x55, exitCode, 0x00};
      if (code != 0x45) return {0x55, 0x00, 0x00};
      const StateAnswer a = states_[std::min(polls_, states_.size() - 1)];
      ++polls_;
      if (static_cast<int>(polls_) == stopAfter) abort.stopRequested = true;
      if (static_cast<int>(polls_) + 1 == failAt) reg.enqDefault = test::Reply::Silent;
      return {0x55, a.mode, a.flags};
    };
  }
  Bytes Codes() const {
    Bytes codes;
    for (const Bytes& c : reg.commands) codes.push_back(c.size() > 2 ? c[2] : 0);
    return codes;
  }
  // The pause before each state-code exchange that reached the register: from the last
  // write before its first ENQ (or from the start of the wait).
  std::vector<uint32_t> PausesBeforePolls(uint32_t start) const {
    std::vector<uint32_t> pauses;
    const auto& w = device.writes;
    for (size_t i = 0; i < w.size(); ++i) {
      if (w[i].bytes != Bytes{0x05} || (i > 0 && w[i - 1].bytes == Bytes{0x05})) continue;
      for (size_t j = i + 1; j < w.size(); ++j) {
        if (w[j].bytes.size() > 3 && w[j].bytes[0] == 0x02) {  // STX, password (2), code
          if (w[j].bytes[3] == 0x45) pauses.push_back(w[i].tick - (i == 0 ? start : w[i - 1].tick));
          break;
        }
      }
    }
    return pauses;
  }

  UserAbort abort;
  std::vector<StateAnswer> states_;
  size_t polls_ = 0;
  int disabled = 0;
  std::function<void()> disable = [this] { ++disabled; };
};

TEST_F(ReportWaitTest, EndingsOfTheWait) {
  struct Row {
    const char* what;
    std::vector<StateAnswer> states;
    int stopAfter, failAt;
    uint8_t exitCode;
    ReportEnd end;
    Bytes codes;  // command codes sent
    std::vector<std::string> boxes;
    int disabledStop;
  } rows[] = {
      {"three printing polls, then resting without paper",
       {{0x25}, {0x25}, {0x25}, {0x05, 0x01}},
       -1,
       -1,
       0,
       ReportEnd::NoPaper,
       {0x45, 0x45, 0x45, 0x45},
       {"Нет бумаги!"},
       0},
      {"resting without any flag: no message",
       {{0x25}, {0x05}},
       -1,
       -1,
       0,
       ReportEnd::Finished,
       {0x45, 0x45},
       {},
       0},
      {"all four flags: no paper first",
       {{0x05, 0x0F}},
       -1,
       -1,
       0,
       ReportEnd::NoPaper,
       {0x45},
       {"Нет бумаги!"},
       0},
      {"printer link before cover and roll",
       {{0x05, 0x0E}},
       -1,
       -1,
       0,
       ReportEnd::NoPrinterLink,
       {0x45},
       {"Нет связи с принтером!"},
       0},
      {"cover open and no roll: only the cover",
       {{0x05, 0x0C}},
       -1,
       -1,
       0,
       ReportEnd::CoverOpen,
       {0x45},
       {"Открыта крышка ПУ!"},
       0},
      {"no roll alone", {{0x05, 0x08}}, -1, -1, 0, ReportEnd::NoRoll, {0x45}, {"Нет рулона!"}, 0},
      {"to the choice mode",
       {{0x25}, {0x00}},
       -1,
       -1,
       0,
       ReportEnd::OtherMode,
       {0x45, 0x45},
       {"Снятие отчета прервалось!"},
       0},
      {"another submode of mode 5, flags not looked at",
       {{0x15, 0x01}},
       -1,
       -1,
       0,
       ReportEnd::OtherMode,
       {0x45},
       {"Снятие отчета прервалось!"},
       0},
      {"stop while printing: one more poll, then ExitMode",
       {{0x25}, {0x25}},
       1,
       -1,
       0,
       ReportEnd::Stopped,
       {0x45, 0x45, 0x52},
       {"Прервано пользователем!"},
       1},
      {"stop before the first poll",
       {{0x25}},
       0,
       -1,
       0,
       ReportEnd::Stopped,
       {0x45, 0x52},
       {"Прервано пользователем!"},
       1},
      {"stop refused by the register: only its message",
       {{0x25}},
       1,
       -1,
       0x66,
       ReportEnd::StopNotAccepted,
       {0x45, 0x45, 0x52},
       {" 66 - Команда не реализуется в данном режиме."},
       1},
      {"stop after the end: no ExitMode, not even the flag's message",
       {{0x25}, {0x05, 0x01}},
       1,
       -1,
       0,
       ReportEnd::StoppedAfterEnd,
       {0x45, 0x45},
       {},
       0},
      {"a failed poll ends the wait with the link's message",
       {{0x25}},
       -1,
       3,
       0,
       ReportEnd::PollFailed,
       {0x45, 0x45},
       {"Нет связи!"},
       0},
      {"the first poll failing", {{0x25}}, -1, 1, 0, ReportEnd::PollFailed, {}, {"Нет связи!"}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    device.writes.clear();
    reg.commands.clear();
    reg.enqDefault = test::Reply::Ack;
    ui.boxes.clear();
    abort = UserAbort{};
    polls_ = 0;
    disabled = 0;
    Script(row.states, row.stopAfter, row.failAt, row.exitCode);
    const uint32_t start = clock.now();
    EXPECT_EQ(WaitReportEnd(link, abort, kFmPrintingMode, kFmRestingMode, disable), row.end);
    EXPECT_EQ(Codes(), row.codes);
    EXPECT_EQ(ui.BoxTexts(), row.boxes);
    EXPECT_EQ(disabled, row.disabledStop);
    // Every poll that reached the register came 100 ms after the exchange before it.
    for (uint32_t pause : PausesBeforePolls(start)) EXPECT_EQ(pause, kReportPollMs);
    EXPECT_EQ(PausesBeforePolls(start).size(), polls_);
    for (const test::RecordedBox& box : ui.boxes)
      EXPECT_EQ(box.caption, box.text == "Прервано пользователем!" ? "Информация" : "Ошибка");
  }
}

TEST_F(ReportWaitTest, PumpsBeforeEveryPollAndKeepsTheLastState) {
  Script({{0x25}, {0x25}, {0x05, 0x08}});
  EXPECT_EQ(WaitReportEnd(link, abort, kFmPrintingMode, kFmRestingMode), ReportEnd::NoRoll);
  EXPECT_GE(ui.pumps, 3);
  EXPECT_EQ(LastStateCode.mode, 0x05);
  EXPECT_EQ(LastStateCode.noRoll, 1);

  ui.quitting = true;  // a quitting application ends the wait before anything is sent
  reg.commands.clear();
  EXPECT_EQ(WaitReportEnd(link, abort, kFmPrintingMode, kFmRestingMode), ReportEnd::Quit);
  EXPECT_TRUE(reg.commands.empty());
}

TEST_F(ReportWaitTest, ActionsSendTheirCommandThenWait) {
  struct Row {
    const char* what;
    std::function<ReportEnd()> run;
    uint8_t commandResult;
    std::vector<StateAnswer> states;
    ReportEnd end;
    Bytes codes;
  } rows[] = {
      {"emergency report",
       [this] { return RunEmergencyReport(link, abort, disable); },
       0x00,
       {{0x25}, {0x05}},
       ReportEnd::Finished,
       {0x60, 0x45, 0x45}},
      {"refused emergency report: no poll",
       [this] { return RunEmergencyReport(link, abort); },
       0xA8,
       {{0x25}},
       ReportEnd::CommandFailed,
       {0x60}},
      {"ЭКЛЗ report by dates waits for 0x26 to become 0x06",
       [this] {
         return RunReportByDates(link, abort, ReportKind::Eklz, true, {2013, 7, 1}, {2013, 7, 3});
       },
       0x00,
       {{0x26}, {0x06}},
       ReportEnd::Finished,
       {0xAC, 0x45, 0x45}},
      {"fiscal-memory report by shifts",
       [this] {
         return RunReportByShifts(link, abort, ReportKind::FiscalMemory, false, "5", "12");
       },
       0x00,
       {{0x00}},
       ReportEnd::OtherMode,
       {0x66, 0x45}},
      {"a shift number that is no number: nothing sent",
       [this] { return RunReportByShifts(link, abort, ReportKind::FiscalMemory, true, "1a", "2"); },
       0x00,
       {{0x25}},
       ReportEnd::CommandFailed,
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reg.commands.clear();
    ui.boxes.clear();
    polls_ = 0;
    Script(row.states);
    const auto stateScript = reg.answerFor;
    reg.answerFor = [&, stateScript](std::span<const uint8_t> c) -> Bytes {
      if (c.size() > 2 && c[2] != 0x45 && c[2] != 0x52) return {0x55, row.commandResult, 0x00};
      return stateScript(c);
    };
    abort.stopRequested = true;  // left over from an earlier report: cleared first
    EXPECT_EQ(row.run(), row.end);
    EXPECT_EQ(Codes(), row.codes);
  }
}

}  // namespace
}  // namespace ptk
