// The report commands and the report wait of the core against the virtual register over a
// pseudo-terminal: fiscalisation, a Z report, a report by shifts that prints to its end,
// one that runs out of paper and a long one stopped with "Прервать". The PC side runs on a
// clock ten times faster than real time; the register prints in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "core/link/serial_device.h"
#include "core/link/serial_port.h"
#include "core/reports/device_state.h"
#include "core/reports/report_wait.h"
#include "core/shell/modes.h"
#include "emulator/emulator_host.h"
#include "emulator/virtual_register.h"
#include "support/emulated_link.h"
#include "support/fake_clock.h"

namespace ptk {
namespace {

// Records the boxes; each pump of window messages runs onPump (a press of "Прервать").
class PressingUi final : public UserInterface {
 public:
  Answer ShowBox(std::string_view, std::string_view text, Icon, Buttons) override {
    boxes.emplace_back(text);
    return Answer::Yes;
  }
  std::optional<std::string> AskFile(const FileRequest&) override { return std::nullopt; }
  void SetResult(std::string_view text) override { result = text; }
  std::string Result() const override { return result; }
  bool PumpMessages() override {
    if (onPump) onPump();
    return true;
  }
  std::vector<std::string> boxes;
  std::string result;
  std::function<void()> onPump;
};

class ReportWaitEmulator : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.WithRegister([](emu::VirtualRegister& r) { r.SetReportLineMs(5); });
    ASSERT_TRUE(rig_.Start()) << rig_.error;
  }
  void Enter(int mode, const char* password) {
    ASSERT_EQ(ExitMode(*link_), 1);
    ASSERT_EQ(EnterMode(*link_, mode, password), 1);
  }
  bool TapeHas(const std::string& text) {
    std::vector<std::string> lines = host_.TapeLines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
  }

  test::ScaledClock clock_{10};
  PressingUi ui_;
  test::EmulatedLink rig_{ui_, {}, clock_};
  emu::EmulatorHost& host_ = rig_.host;
  Link* const link_ = &rig_.link;
  UserAbort abort_;
};

TEST_F(ReportWaitEmulator, FiscalisedRegisterPrintsStopsAndRunsOutOfPaper) {
  Link& link = *link_;
  Enter(5, "00000000");
  ASSERT_EQ(Fiscalize(link, "77", "123", "12345678"), 1);
  Enter(1, "00000001");
  ASSERT_EQ(link.ExchangeWithAnswer(link.CommandFrame(0x9A, {0x00}), 0, 6, 1), 1);  // open shift
  Enter(3, "00000029");
  ASSERT_EQ(PrintClearingReport(link, ClearingKind::Daily), 1);
  // The Z report prints in 0x23 and rests in 0x03: the same wait serves.
  EXPECT_EQ(WaitReportEnd(link, abort_, 0x23, 0x03), ReportEnd::Finished);
  EXPECT_EQ(PrintClearingReport(link, ClearingKind::Daily), 4);  // 8F: already cleared
  Enter(5, "12345678");

  ui_.boxes.clear();
  EXPECT_EQ(RunReportByShifts(link, abort_, ReportKind::FiscalMemory, true, "1", "1"),
            ReportEnd::Finished);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(TapeHas("ИТОГО ЗА ПЕРИОД"));

  host_.WithRegister(
      [](emu::VirtualRegister& r) { ASSERT_TRUE(emu::ApplyFaultSpec("paperout=2", r.faults())); });
  EXPECT_EQ(
      RunReportByDates(link, abort_, ReportKind::FiscalMemory, false, {2000, 1, 1}, {2099, 12, 31}),
      ReportEnd::NoPaper);
  EXPECT_EQ(ui_.boxes, std::vector<std::string>{"Нет бумаги!"});

  // A 30-second report: "Прервать" pressed during the third poll's exchange.
  host_.WithRegister([](emu::VirtualRegister& r) {
    ASSERT_TRUE(emu::ApplyFaultSpec("nopaper=0,reporttime=30000/1", r.faults()));
  });
  ui_.boxes.clear();
  int pumps = 0;
  ui_.onPump = [&] {
    if (++pumps == 40) abort_.stopRequested = true;
  };
  int disabled = 0;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(RunEmergencyReport(link, abort_, [&] { ++disabled; }), ReportEnd::Stopped);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(disabled, 1);
  EXPECT_EQ(ui_.boxes, std::vector<std::string>{"Прервано пользователем!"});
  EXPECT_TRUE(TapeHas("ПЕЧАТЬ ОТЧЕТА ПРЕРВАНА"));
  ASSERT_EQ(QueryStateCode(link), 1);
  EXPECT_EQ(link.AnswerBuffer[2], 0x00);
}

}  // namespace
}  // namespace ptk
