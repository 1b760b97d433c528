// A session recorded by the line trace and replayed from it without the register: the
// same results, answers and boxes, faults included; a changed command stops the replay.
#include "core/link/trace_replay.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/link/trace_device.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/replay_session.h"
#include "support/scripted_port.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(TraceReplay, ASessionReplaysFromItsTrace) {
  struct Row {
    const char* what;
    std::function<void(test::ScriptedRegister&)> fault;
    bool compact;
    uint8_t replayedCode;  // the command the replay sends (a different one diverges)
    std::string divergence;
  } rows[] = {
      {"answered at once", [](test::ScriptedRegister&) {}, false, 0x45, ""},
      {"a NAK-ed answer sent again", [](test::ScriptedRegister& r) { r.corruptAnswers = 1; }, false,
       0x45, ""},
      {"a refused frame", [](test::ScriptedRegister& r) { r.frameReplies = {test::Reply::Nak}; },
       false, 0x45, ""},
      {"a silent register", [](test::ScriptedRegister& r) { r.enqDefault = test::Reply::Silent; },
       false, 0x45, ""},
      {"a lost answer", [](test::ScriptedRegister& r) { r.opensAnswer = false; }, false, 0x45, ""},
      {"the compact path", [](test::ScriptedRegister&) {}, true, 0x45, ""},
      {"another command", [](test::ScriptedRegister&) {}, false, 0x3F,
       // the command frame: STX, password, code, ETX, check byte
       "replay diverged at exchange 1: expected 02 73 91 45 03 A4 got 02 73 91 3F 03 DE"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const test::Recording recording = test::RecordSession(row.fault, row.compact);
    const test::Outcome& recorded = recording.outcome;
    std::istringstream in(recording.trace);
    std::string error;
    std::optional<std::vector<TraceEvent>> events = ReadTrace(in, &error);
    ASSERT_TRUE(events.has_value()) << error << "\n" << recording.trace;
    test::FakeClock replayClock(50000);
    ReplayPortDevice replay(std::move(*events), replayClock);
    const test::Outcome replayed =
        test::Session(replay, replayClock, row.replayedCode, row.compact);
    EXPECT_EQ(replay.Divergence(), row.divergence) << recording.trace;
    if (row.divergence.empty()) {
      EXPECT_EQ(replayed, recorded) << recording.trace;
    } else {
      EXPECT_EQ(replayed.result, kExchangeLinkFailure);  // no answer after the divergence
    }
  }
}

TEST(TraceReplay, AStepMadeWhileAnAnswerWasAwaitedIsMadeAtItsPlace) {
  std::istringstream in(
      "     0.000 ms  PC->  05\n"
      "     0.100 ms  ----  later: click fm_Process.bt_Cancel\n"
      "     0.200 ms  <-PTK 06\n");
  std::optional<std::vector<TraceEvent>> events = ReadTrace(in, nullptr);
  ASSERT_TRUE(events.has_value());
  test::FakeClock clock(0);
  ReplayPortDevice replay(std::move(*events), clock);
  std::vector<std::string> steps;
  replay.SetLaterStepHandler([&steps](const std::string& step) { steps.push_back(step); });
  const uint8_t enq = 0x05;
  ASSERT_TRUE(replay.Write(&enq, 1));
  // Made once the transfer is written, before its answer is read.
  EXPECT_EQ(steps, std::vector<std::string>{"click fm_Process.bt_Cancel"});
  uint8_t byte = 0;
  EXPECT_EQ(replay.ReadByte(byte), ReadStatus::Byte);
  EXPECT_EQ(byte, 0x06);
}

TEST(TraceReplay, LinesThatAreNoTrace) {
  for (const char* text : {"     0.023 ms  PC->  0G\n", "0,023 ms  <-PTK 06\n",
                           "     1.000 ms  ??    x\n", "     1.000 ms  <-PTK \n"}) {
    std::istringstream in(std::string("     0.000 ms  ----  open COM1\n") + text);
    std::string error;
    EXPECT_FALSE(ReadTrace(in, &error).has_value()) << text;
    EXPECT_EQ(error, "line 2 is not a line of a trace");
  }
}

}  // namespace
}  // namespace ptk
