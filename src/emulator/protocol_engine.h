// The register's side of the line, as a pure state machine: bytes in, timed chunks of
// bytes out, no I/O. The host feeds it the bytes from the line with the current time,
// calls Tick() when nothing arrives, and writes the chunks that PopDue() hands out.
//
//   PC: ENQ          -> ACK
//   PC: frame        -> ACK (NAK on a wrong check byte or a broken frame; wait for it again)
//   PC: EOT          -> execute; ENQ, wait for ACK; answer frame; again after NAK; EOT after ACK
//   PC: ENQ instead of EOT -> the acknowledged command is executed without an answer
//
// Bytes outside a transfer are ignored. Every wait has a time limit, so a PC that
// vanishes in the middle leaves the engine idle again; an ENQ from the PC while the
// register waits on its own answer transfer abandons that answer and opens a new transfer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "emulator/faults.h"

namespace ptk::emu {

// How the register waits on the PC (ms).
struct EngineLimits {
  uint32_t frameStart = 5000;  // after ACKing ENQ: until the frame starts
  uint32_t interByte = 200;    // a gap inside the PC's frame: NAK it
  uint32_t eot = 3000;         // after ACKing the frame: until EOT
  uint32_t enqAck = 2000;      // the PC's ACK to the register's ENQ
  int enqAttempts = 3;         // ENQs before the answer is given up
  uint32_t frameAck = 15000;   // ACK or NAK to the answer frame (a PC reading a short
                               // answer replies only after its read time-out)
  int frameSends = 10;         // the answer frame is sent at most this often
  size_t maxFrame = 700;       // raw bytes of one PC frame
};

// What executing a command gives back.
struct Reply {
  std::vector<uint8_t> payload;  // marker, result code, data ('D' first for 0x3F, ...)
  bool noAnswer = false;         // the command has no answer transfer (the beep)
  uint32_t executionMs = 0;      // how long the register works before it answers
};

class CommandExecutor {
 public:
  virtual ~CommandExecutor() = default;
  // payload: password (2 bytes), code, parameters, as received (unstuffed).
  virtual Reply Execute(std::span<const uint8_t> payload) = 0;
};

struct OutChunk {
  std::vector<uint8_t> bytes;
  uint32_t at = 0;  // not before this tick
};

enum class EngineState {
  Idle,
  AwaitFrame,     // ENQ acknowledged
  InFrame,        // reading the PC's frame
  AwaitEot,       // frame acknowledged
  AwaitEnqAck,    // register's ENQ sent (or scheduled)
  AwaitFrameAck,  // answer frame sent
};

// Counters for tests and the benchmark.
struct EngineStats {
  uint64_t framesAccepted = 0;
  uint64_t framesRejected = 0;  // NAKed: wrong check byte, broken, or injected
  uint64_t commandsExecuted = 0;
  uint64_t answersSent = 0;       // answer frames on the line, repetitions included
  uint64_t answersCompleted = 0;  // ACKed by the PC
  uint64_t answersAbandoned = 0;
  // Line-discipline violations: the PC began a transfer (ENQ) while the register was
  // executing a command, opening its answer transfer (its ENQ not yet acknowledged), or
  // sending the first copy of its answer frame (not all of it on the line yet). A PC that
  // runs one exchange at a time and waits out its time limits never causes one; a PC
  // that gave up reading after bad frames and starts its next command does not either.
  uint64_t lineViolations = 0;
};

class ProtocolEngine {
 public:
  ProtocolEngine(CommandExecutor& executor, Faults& faults, EngineLimits limits = {})
      : executor_(&executor), faults_(&faults), limits_(limits) {}

  void Feed(uint8_t byte, uint32_t now);
  void Feed(std::span<const uint8_t> bytes, uint32_t now) {
    for (uint8_t b : bytes) Feed(b, now);
  }
  // Applies the time limits that passed by now.
  void Tick(uint32_t now);

  // The next chunk whose time has come, in order; false when none is due.
  bool PopDue(uint32_t now, OutChunk& chunk);
  // Everything due by now, concatenated (tests).
  std::vector<uint8_t> TakeDue(uint32_t now);
  bool HasOutput() const { return !out_.empty(); }

  // Milliseconds from now until the engine next needs Tick() or has output due;
  // nullopt when it waits only for bytes.
  std::optional<uint32_t> NextWakeIn(uint32_t now) const;

  EngineState state() const { return state_; }
  const EngineStats& stats() const { return stats_; }
  const EngineLimits& limits() const { return limits_; }

 private:
  void Send(std::vector<uint8_t> bytes, uint32_t at);
  void SendByte(uint8_t b, uint32_t now) { Send({b}, now); }
  void Enter(EngineState state, uint32_t deadline);
  void OnEnq(uint32_t now);
  void OnFrameByte(uint8_t b, uint32_t now);
  void Execute(uint32_t now, bool answer);
  void SendAnswerFrame(uint32_t now);
  void Abandon();
  uint32_t LastOutAt(uint32_t now) const;

  CommandExecutor* executor_;
  Faults* faults_;
  EngineLimits limits_;
  EngineState state_ = EngineState::Idle;
  uint32_t deadline_ = 0;
  std::vector<uint8_t> frame_;    // raw bytes of the PC's frame being read
  std::vector<uint8_t> command_;  // the accepted frame's payload
  std::vector<uint8_t> answer_;   // the answer frame on the line (good check byte)
  int enqSent_ = 0;
  int framesSent_ = 0;
  std::deque<OutChunk> out_;
  EngineStats stats_;
};

}  // namespace ptk::emu
