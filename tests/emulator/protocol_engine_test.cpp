// The register's side of the line, byte by byte, with the time given explicitly.
#include "emulator/protocol_engine.h"

#include <gtest/gtest.h>

#include "core/link/framing.h"

namespace ptk::emu {
namespace {

using Bytes = std::vector<uint8_t>;

class Recorder final : public CommandExecutor {
 public:
  Reply Execute(std::span<const uint8_t> payload) override {
    commands.emplace_back(payload.begin(), payload.end());
    return reply;
  }
  std::vector<Bytes> commands;
  Reply reply{{0x55, 0x00, 0x00}, false, 0};
};

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes kPayload = {0x73, 0x91, 0x45};

class EngineTest : public ::testing::Test {
 protected:
  // Feeds bytes at the current time and returns what the engine sent by then.
  Bytes Put(const Bytes& bytes) {
    engine.Feed(bytes, now);
    return engine.TakeDue(now);
  }
  Bytes Wait(uint32_t ms) {
    now += ms;
    engine.Tick(now);
    return engine.TakeDue(now);
  }
  // ENQ, frame, EOT up to the register's ENQ.
  void SendCommand(const Bytes& payload = kPayload) {
    ASSERT_EQ(Put({ENQ}), Bytes{ACK});
    ASSERT_EQ(Put(BuildFrame(payload)), Bytes{ACK});
    ASSERT_EQ(Put({EOT}), Bytes{ENQ});
  }

  Recorder recorder;
  Faults faults;
  ProtocolEngine engine{recorder, faults};
  uint32_t now = 1000;
};

TEST_F(EngineTest, FullExchangeEndsIdleWithEot) {
  SendCommand();
  ASSERT_EQ(recorder.commands.size(), 1u);
  EXPECT_EQ(recorder.commands[0], kPayload);
  EXPECT_EQ(Put({ACK}), BuildFrame(recorder.reply.payload));
  EXPECT_EQ(Put({ACK}), Bytes{EOT});
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(engine.stats().answersCompleted, 1u);
  EXPECT_EQ(engine.stats().lineViolations, 0u);
}

TEST_F(EngineTest, StuffedPayloadArrivesUnstuffed) {
  Bytes payload = {0x10, 0x03, 0x3F, 0x10, 0x02, 0x03};
  SendCommand(payload);
  ASSERT_EQ(recorder.commands.size(), 1u);
  EXPECT_EQ(recorder.commands[0], payload);
}

TEST_F(EngineTest, AnswerIsStuffed) {
  recorder.reply.payload = {0x55, 0x10, 0x03};
  SendCommand();
  EXPECT_EQ(Put({ACK}), (Bytes{STX, 0x55, 0x10, 0x10, 0x10, 0x03, ETX,
                               0x55 ^ 0x10 ^ 0x10 ^ 0x10 ^ 0x03 ^ ETX}));
}

TEST_F(EngineTest, FrameWithWrongCheckByteIsRefusedAndAcceptedWhenRepeated) {
  Bytes bad = BuildFrame(kPayload);
  bad.back() ^= 0x01;
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  EXPECT_EQ(Put(bad), Bytes{NAK});
  EXPECT_EQ(engine.state(), EngineState::AwaitFrame);
  EXPECT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  EXPECT_EQ(Put({EOT}), Bytes{ENQ});
  EXPECT_EQ(recorder.commands.size(), 1u);
}

TEST_F(EngineTest, GarbageOutsideATransferIsIgnored) {
  EXPECT_EQ(Put({0x00, ACK, NAK, 0xFF, EOT, STX, 0x41, ETX, 0x42}), Bytes{});
  EXPECT_EQ(engine.state(), EngineState::Idle);
  SendCommand();
  EXPECT_EQ(recorder.commands.size(), 1u);
}

TEST_F(EngineTest, BytesBeforeTheFrameStartAreIgnored) {
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  EXPECT_EQ(Put({0x00, 0x41}), Bytes{});
  EXPECT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
}

TEST_F(EngineTest, RepeatedEnqIsAcknowledgedAgain) {
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  EXPECT_EQ(Put({ENQ}), Bytes{ACK});
  EXPECT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
}

TEST_F(EngineTest, FrameRepeatedBeforeEotReplacesTheFirst) {
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  ASSERT_EQ(Put(BuildFrame(Bytes{0x73, 0x91, 0x3F})), Bytes{ACK});
  ASSERT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  ASSERT_EQ(Put({EOT}), Bytes{ENQ});
  ASSERT_EQ(recorder.commands.size(), 1u);
  EXPECT_EQ(recorder.commands[0], kPayload);
}

TEST_F(EngineTest, FrameStoppingHalfWayIsRefusedAfterTheGap) {
  Bytes frame = BuildFrame(kPayload);
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  EXPECT_EQ(Put(Bytes(frame.begin(), frame.begin() + 3)), Bytes{});
  EXPECT_EQ(Wait(engine.limits().interByte - 1), Bytes{});
  EXPECT_EQ(Wait(1), Bytes{NAK});
  EXPECT_EQ(Put(frame), Bytes{ACK});
}

TEST_F(EngineTest, OverlongFrameIsRefused) {
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  Bytes junk(engine.limits().maxFrame, 0x41);
  junk[0] = STX;
  EXPECT_EQ(Put(junk), Bytes{});
  EXPECT_EQ(Put({0x41}), Bytes{NAK});
  EXPECT_EQ(engine.state(), EngineState::AwaitFrame);
}

TEST_F(EngineTest, AnswerFrameIsSentAgainAfterNak) {
  SendCommand();
  Bytes answer = BuildFrame(recorder.reply.payload);
  EXPECT_EQ(Put({ACK}), answer);
  EXPECT_EQ(Put({NAK}), answer);
  EXPECT_EQ(Put({NAK}), answer);
  EXPECT_EQ(Put({ACK}), Bytes{EOT});
  EXPECT_EQ(engine.stats().answersSent, 3u);
}

TEST_F(EngineTest, AnswerGivenUpAfterTooManyNaks) {
  SendCommand();
  Bytes answer = BuildFrame(recorder.reply.payload);
  EXPECT_EQ(Put({ACK}), answer);
  for (int i = 1; i < engine.limits().frameSends; ++i) EXPECT_EQ(Put({NAK}), answer);
  EXPECT_EQ(Put({NAK}), Bytes{EOT});
  EXPECT_EQ(engine.state(), EngineState::Idle);
}

TEST_F(EngineTest, UnansweredEnqIsRepeatedThenGivenUp) {
  SendCommand();
  for (int i = 1; i < engine.limits().enqAttempts; ++i)
    EXPECT_EQ(Wait(engine.limits().enqAck), Bytes{ENQ});
  EXPECT_EQ(Wait(engine.limits().enqAck), Bytes{});
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(engine.stats().answersAbandoned, 1u);
  SendCommand();  // the next command works normally
}

TEST_F(EngineTest, MissingAckToTheAnswerEndsIdle) {
  SendCommand();
  Put({ACK});
  EXPECT_EQ(Wait(engine.limits().frameAck), Bytes{});
  EXPECT_EQ(engine.state(), EngineState::Idle);
}

TEST_F(EngineTest, EnqFromThePcAbandonsThePendingAnswer) {
  SendCommand();
  EXPECT_EQ(Put({ENQ}), Bytes{ACK});
  EXPECT_EQ(engine.state(), EngineState::AwaitFrame);
  EXPECT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  // A transfer begun while the register answers breaks the line discipline.
  EXPECT_EQ(engine.stats().lineViolations, 1u);
}

// A transfer the PC begins while the register still has the turn (executing, its answer
// ENQ unacknowledged, the first copy of its frame half-way out) breaks the line
// discipline. Once the whole frame is on the line, or after a NAK (a sixth bad frame is
// where the PC gives up), the PC may have stopped reading and starts over.
TEST(EngineLineDiscipline, EnqCountsAsAViolationOnlyWhileTheRegisterHasTheTurn) {
  enum class Moment { Executing, EnqUnanswered, FrameHalfOut, FrameOut, SixthBadFrameNaked };
  const struct {
    Moment moment;
    bool paused;  // every answer frame pauses half-way
    const char* name;
    uint64_t violations;
  } cases[] = {{Moment::Executing, false, "executing", 1},
               {Moment::EnqUnanswered, false, "its ENQ unacknowledged", 1},
               {Moment::FrameHalfOut, true, "first frame half-way out", 1},
               {Moment::FrameOut, false, "frame on the line", 0},
               {Moment::SixthBadFrameNaked, false, "sixth bad frame refused", 0},
               {Moment::SixthBadFrameNaked, true, "repeated frame half-way out", 0}};
  for (const auto& c : cases) {
    Recorder recorder;
    Faults faults;
    ProtocolEngine engine{recorder, faults};
    uint32_t now = 1000;
    const auto put = [&](const Bytes& bytes) {
      engine.Feed(bytes, now);
      return engine.TakeDue(now);
    };
    if (c.moment == Moment::Executing) faults.delay = TimedFault{500, 1};
    if (c.paused) faults.pause = TimedFault{300, kEveryTime};
    if (c.moment == Moment::SixthBadFrameNaked) faults.badCheck = 6;
    put({ENQ});
    put(BuildFrame(kPayload));
    put({EOT});
    if (c.moment != Moment::Executing && c.moment != Moment::EnqUnanswered) put({ACK});
    if (c.moment == Moment::SixthBadFrameNaked) {
      for (int reading = 1; reading <= 6; ++reading) {
        if (c.paused) now += 300;  // the rest of the frame, then the PC's NAK
        engine.TakeDue(now);
        put({NAK});
      }
    }
    EXPECT_EQ(put({ENQ}), Bytes{ACK}) << c.name;
    EXPECT_EQ(engine.stats().lineViolations, c.violations) << c.name;
    EXPECT_EQ(engine.stats().answersAbandoned, 1u) << c.name;
  }
}

TEST_F(EngineTest, EnqInsteadOfEotStillExecutesTheCommandUnanswered) {
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  ASSERT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  EXPECT_EQ(Put({ENQ}), Bytes{ACK});  // no ENQ of an answer transfer
  EXPECT_EQ(recorder.commands.size(), 1u);
  EXPECT_EQ(engine.state(), EngineState::AwaitFrame);
}

TEST_F(EngineTest, TransferTimesOutWithoutEotButTheCommandIsCarriedOut) {
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  ASSERT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  EXPECT_EQ(Wait(engine.limits().eot), Bytes{});
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(recorder.commands.size(), 1u);
  EXPECT_EQ(Put({EOT}), Bytes{});  // a late EOT is ignored
  EXPECT_EQ(recorder.commands.size(), 1u);
}

TEST_F(EngineTest, CommandWithoutAnswerTransferStaysQuiet) {
  recorder.reply = Reply{{}, true, 0};
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  ASSERT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  EXPECT_EQ(Put({EOT}), Bytes{});
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(recorder.commands.size(), 1u);
}

TEST_F(EngineTest, ExecutionTimeDelaysTheAnswer) {
  recorder.reply.executionMs = 300;
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  ASSERT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  EXPECT_EQ(Put({EOT}), Bytes{});
  EXPECT_EQ(engine.NextWakeIn(now), 300u);
  EXPECT_EQ(Wait(299), Bytes{});
  EXPECT_EQ(Put({ACK}), Bytes{});  // an ACK before the ENQ is not an answer to it
  EXPECT_EQ(Wait(1), Bytes{ENQ});
  EXPECT_EQ(Put({ACK}), BuildFrame(recorder.reply.payload));
}

// Line faults: each row switches one on and checks what the PC sees.
TEST_F(EngineTest, NakFaultRefusesGoodFrames) {
  faults.nakFrames = 2;
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  EXPECT_EQ(Put(BuildFrame(kPayload)), Bytes{NAK});
  EXPECT_EQ(Put(BuildFrame(kPayload)), Bytes{NAK});
  EXPECT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  EXPECT_EQ(faults.nakFrames, 0);
}

TEST_F(EngineTest, BadCheckFaultCorruptsOnlyTheCheckByte) {
  faults.badCheck = 1;
  SendCommand();
  Bytes good = BuildFrame(recorder.reply.payload);
  Bytes bad = good;
  bad.back() ^= 0xFF;
  EXPECT_EQ(Put({ACK}), bad);
  EXPECT_EQ(Put({NAK}), good);
}

TEST_F(EngineTest, SilentFaultIgnoresEnqs) {
  faults.silentEnq = 2;
  EXPECT_EQ(Put({ENQ}), Bytes{});
  EXPECT_EQ(Put({ENQ}), Bytes{});
  EXPECT_EQ(Put({ENQ}), Bytes{ACK});
}

TEST_F(EngineTest, NoAnswerFaultExecutesWithoutAnswering) {
  faults.noAnswer = 1;
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  ASSERT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  EXPECT_EQ(Put({EOT}), Bytes{});
  EXPECT_EQ(recorder.commands.size(), 1u);
  EXPECT_EQ(engine.state(), EngineState::Idle);
  SendCommand();
}

TEST_F(EngineTest, DelayFaultOpensTheAnswerLate) {
  faults.delay = TimedFault{700, 1};
  ASSERT_EQ(Put({ENQ}), Bytes{ACK});
  ASSERT_EQ(Put(BuildFrame(kPayload)), Bytes{ACK});
  EXPECT_EQ(Put({EOT}), Bytes{});
  EXPECT_EQ(Wait(699), Bytes{});
  EXPECT_EQ(Wait(1), Bytes{ENQ});
  Put({ACK});
  Put({ACK});
  SendCommand();  // used up: the next answer is prompt
}

TEST_F(EngineTest, PauseFaultSplitsTheAnswerFrame) {
  faults.pause = TimedFault{250, 1};
  SendCommand();
  Bytes answer = BuildFrame(recorder.reply.payload);
  Bytes first = Put({ACK});
  ASSERT_EQ(first.size(), answer.size() / 2);
  EXPECT_EQ(Wait(249), Bytes{});
  Bytes second = Wait(1);
  EXPECT_EQ(Concat({first, second}), answer);
  EXPECT_EQ(Put({ACK}), Bytes{EOT});
}

TEST_F(EngineTest, TickCounterWrapDoesNotBreakTimeLimits) {
  now = 0xFFFFFF00u;
  SendCommand();
  EXPECT_EQ(Wait(engine.limits().enqAck), Bytes{ENQ});  // crosses 2^32
}

}  // namespace
}  // namespace ptk::emu
