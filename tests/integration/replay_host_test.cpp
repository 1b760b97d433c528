// ptk-emulator --replay's register: a session recorded through the line trace on the
// scripted register, replayed over a real pseudo-terminal to the program's own port.
#include "emulator/replay_host.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

#include "core/link/serial_device.h"
#include "core/link/trace_device.h"
#include "support/fake_clock.h"
#include "support/replay_session.h"
#include "support/scripted_port.h"

namespace ptk {
namespace {

TEST(ReplayHost, ASessionReplaysOverAPseudoTerminal) {
  struct Row {
    const char* what;
    std::function<void(test::ScriptedRegister&)> fault;
    bool compact;
    uint8_t replayedCode;
    bool diverges;
  } rows[] = {
      {"answered at once", [](test::ScriptedRegister&) {}, false, 0x45, false},
      {"a NAK-ed answer sent again", [](test::ScriptedRegister& r) { r.corruptAnswers = 1; }, false,
       0x45, false},
      {"the compact path", [](test::ScriptedRegister&) {}, true, 0x45, false},
      {"another command", [](test::ScriptedRegister&) {}, false, 0x3F, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const test::Recording recording = test::RecordSession(row.fault, row.compact);
    const test::Outcome& recorded = recording.outcome;
    std::istringstream in(recording.trace);
    std::optional<std::vector<TraceEvent>> events = ReadTrace(in);
    ASSERT_TRUE(events.has_value());
    emu::ReplayHost host(std::move(*events), false);
    int told = 0;
    host.onDivergence = [&told](const std::string&) { ++told; };
    ASSERT_TRUE(host.Start()) << host.LastError();
    std::unique_ptr<PortDevice> device = CreateSystemPortDevice();
    test::ScaledClock fast(10);  // a silence after the divergence passes in a tenth
    const test::Outcome replayed =
        test::Session(*device, fast, row.replayedCode, row.compact, host.SlavePath());
    host.Stop();
    if (row.diverges) {
      EXPECT_EQ(replayed.result, kExchangeLinkFailure);
      EXPECT_EQ(host.Divergence(),
                "replay diverged at exchange 1: expected 02 73 91 45 03 A4 got 02 73 91 3F 03 DE");
      EXPECT_EQ(told, 1);
    } else {
      EXPECT_EQ(replayed, recorded) << recording.trace;
      EXPECT_EQ(host.Divergence(), "");
    }
  }
}

}  // namespace
}  // namespace ptk
