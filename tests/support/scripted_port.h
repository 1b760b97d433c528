// An in-memory serial device on a fake clock: records every byte the program writes, and
// delivers bytes that "arrive" at given ticks. A rule-based register model on top of it
// speaks the register's side of the line protocol, with switchable faults, so that every
// path of the frame exchange runs in microseconds.
//
//   FakeClock clock;
//   ScriptedPort port(clock);
//   ScriptedRegister reg(port);
//   reg.answer = {0x55, 0x00, 0x00};     // marker, result code, data
//   ... Link(...).ExchangeWithAnswer(...) ...
//   reg.commands          // the command payloads the register received
//   port.Written()        // every byte on the line from the program
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/link/port_device.h"
#include "fake_clock.h"

namespace ptk::test {

class ScriptedPort final : public PortDevice {
 public:
  explicit ScriptedPort(FakeClock& clock) : clock_(&clock) {}

  // PortDevice
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  bool ClearErrors() override;
  bool Purge() override;
  bool Write(const uint8_t* data, size_t length) override;
  // A byte due now is returned at once; one due within the read time-out moves the clock
  // to its arrival; otherwise the clock moves by the read time-out and the read times out.
  ReadStatus ReadByte(uint8_t& byte) override;
  bool SetReadTimeout(uint32_t ms) override {
    readTimeout_ = ms;
    return true;
  }
  uint32_t ReadTimeout() const override { return readTimeout_; }

  // Bytes that arrive from the register delayMs after now (after the bytes already queued
  // for the same tick).
  void Arrive(std::span<const uint8_t> bytes, uint32_t delayMs = 0);
  void Arrive(std::initializer_list<uint8_t> bytes, uint32_t delayMs = 0) {
    Arrive(std::span<const uint8_t>(bytes.begin(), bytes.size()), delayMs);
  }
  size_t Pending() const { return incoming_.size(); }

  // Called after every successful write with the bytes written (the register model).
  std::function<void(std::span<const uint8_t>)> onWrite;

  // One entry per successful Write: when and what.
  struct Transfer {
    uint32_t tick;
    std::vector<uint8_t> bytes;
  };
  std::vector<Transfer> writes;
  std::vector<uint8_t> Written() const;  // all written bytes, in order
  void ClearRecord() { writes.clear(); }

  // Faults and outcomes.
  bool openResult = true;
  bool configureResult = true;
  bool clearErrorsResult = true;
  int failWrites = 0;  // the next n writes fail (nothing is recorded or sent)
  // Writes for which this returns true fail (e.g. every frame, but not ENQ).
  std::function<bool(std::span<const uint8_t>)> refuseWrite;
  bool vanished = false;   // reads fail with ReadStatus::Failed, writes and purges fail
  bool readsFail = false;  // reads fail with ReadStatus::Failed, the rest works

  // What the program asked of the device.
  std::string openedName;
  OpenMode openedMode = OpenMode::ReadWrite;
  LineFormat configuredLine;
  int configuredBaud = -1;  // the line's index in the baud table (-1: none or not in it)
  int purges = 0;
  int purgedBytes = 0;  // bytes that had arrived and were discarded by Purge
  int reads = 0;

  FakeClock& clock() { return *clock_; }

 protected:
  bool OpenDevice(const std::string& name, OpenMode mode) override;
  bool ConfigureLine(const LineFormat& format) override;

 private:
  struct Incoming {
    uint32_t due;
    uint8_t byte;
  };
  FakeClock* clock_;
  bool open_ = false;
  uint32_t readTimeout_ = kByteReadTimeoutMs;
  std::deque<Incoming> incoming_;
};

// How the register replies to the program's ENQ or command frame.
enum class Reply { Ack, Nak, Silent, Garbage };

// The register's side of one exchange after another, driven by what the program writes:
// ACK/NAK/nothing/garbage to ENQ and frames (per attempt), then after the program's EOT it
// opens its answer transfer with ENQ after executionMs, sends the answer frame after the
// program's ACK, repeats it after NAK, and closes with EOT after the program's ACK.
class ScriptedRegister {
 public:
  explicit ScriptedRegister(ScriptedPort& port);

  // Replies by attempt (index 0: the first ENQ or frame of the current exchange); past the
  // end of the list the default applies.
  std::vector<Reply> enqReplies;
  Reply enqDefault = Reply::Ack;
  std::vector<Reply> frameReplies;
  Reply frameDefault = Reply::Ack;
  uint8_t garbageByte = 0x33;

  bool opensAnswer = true;   // false: never sends ENQ after the program's EOT
  uint32_t executionMs = 0;  // from the program's EOT to the register's ENQ
  // The answer payload (marker, result code, data), framed and stuffed when sent.
  std::vector<uint8_t> answer = {0x55, 0x00, 0x00};
  // Per command: the answer payload for the command payload received (overrides answer).
  std::function<std::vector<uint8_t>(std::span<const uint8_t> command)> answerFor;
  // Raw answer bytes as they go on the line (overrides answer and answerFor).
  std::vector<uint8_t> rawAnswer;
  int corruptAnswers = 0;  // the first k answer transmissions carry a wrong check byte
  bool sendsEot = true;    // closing EOT after the program's ACK of the answer
  // A pause of pauseMs after the first pauseAfter bytes of every answer transmission.
  size_t pauseAfter = 0;
  uint32_t pauseMs = 0;

  // What happened.
  std::vector<std::vector<uint8_t>> commands;  // unstuffed command payloads received
  std::vector<bool> commandChecksOk;           // per command frame: its check byte was right
  int enqs = 0;                                // ENQs received in the current exchange
  int frames = 0;                              // command frames received in the current exchange
  int answersSent = 0;                         // answer transmissions in the current exchange
  int acksToAnswer = 0, naksToAnswer = 0;

  // Starts counting attempts anew (called by itself when an exchange ends with EOT).
  void NewExchange();

 private:
  enum class Phase { Idle, Answering, AnswerSent };
  void OnWrite(std::span<const uint8_t> bytes);
  void ReplyWith(Reply reply);
  void SendAnswer();
  ScriptedPort* port_;
  Phase phase_ = Phase::Idle;
  bool ended_ = false;  // the last exchange closed: the next ENQ starts counting anew
  std::vector<uint8_t> lastCommand_;
};

}  // namespace ptk::test
