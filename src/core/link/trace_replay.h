// Replaying a line trace (the format TracingPortDevice writes): a port device that stands
// in for the register of a recorded session. Each write of the program is compared with
// the next write the trace recorded; the bytes the trace recorded as read after that write
// (up to the next one) are then given to the program's reads, as fast as it asks for them
// or, with the recorded timing, each no earlier than it came in the recording. Where the
// recording read nothing, the replay stays silent too, so that a session that met a lost
// answer or a refused frame meets it again. A write that differs from the recording ends
// the replay: nothing more is read, and Divergence() says where.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/link/clock.h"
#include "core/link/port_device.h"

namespace ptk {

struct TraceEvent {
  enum class Kind { Write, Read, Note };
  Kind kind = Kind::Note;
  uint64_t micros = 0;         // since the trace began
  std::vector<uint8_t> bytes;  // Write, Read
  bool failed = false;         // a write that failed; a note of a failed read
  std::string text;            // Note
};

// The events of a trace, or nullopt with error naming the first line that is not one.
std::optional<std::vector<TraceEvent>> ReadTrace(std::istream& in, std::string* error = nullptr);
// The same from a file; "cannot open the file" when it cannot be opened.
std::optional<std::vector<TraceEvent>> ReadTraceFile(const std::string& path,
                                                     std::string* error = nullptr);

// The trace's note of a step the session made while an answer was awaited (a press of a
// stop button during a report): "later: STEP". A replay makes the step at the same place.
inline constexpr std::string_view kLaterNote = "later: ";

// The register's side of a recorded session, transfer by transfer: the program's bytes are
// compared with the transfers the trace recorded, and each recorded transfer, once the
// program has sent all of it, gives what the recording read after it, up to the next one.
class TraceReplayer {
 public:
  struct Reply {
    uint8_t byte = 0;
    bool failure = false;      // a read failure in the recording
    uint64_t afterMicros = 0;  // after the transfer that gave it, in the recording
  };

  explicit TraceReplayer(std::vector<TraceEvent> events) : events_(std::move(events)) {}

  // The program's bytes, in any pieces; returns what they give (nothing while a transfer
  // is incomplete, nothing once the replay has diverged). wholeTransfer: the bytes are one
  // whole transfer, so that one that stops short of the recorded one diverges too.
  std::vector<Reply> Feed(std::span<const uint8_t> bytes, bool wholeTransfer);
  // Whether the last transfer completed had failed in the recording (a failed write).
  bool LastTransferFailed() const { return lastFailed_; }
  // Consumes the next note that begins with what among the notes before the next
  // transfer; false when the recording noted it as failed ("open COM1 failed").
  bool ReplayNote(std::string_view what);

  // "replay diverged at exchange N: expected … got …" once the program's bytes left the
  // recording; empty while they follow it.
  const std::string& Divergence() const { return divergence_; }
  // Exchanges begun so far (the program's ENQs that opened a transfer).
  int exchanges() const { return exchanges_; }
  // The steps the recorded session made while this transfer's answer was awaited (its
  // "later: STEP" notes), taken once each.
  std::vector<std::string> TakeLaterSteps() { return std::exchange(laterSteps_, {}); }

 private:
  void Diverge(const std::vector<uint8_t>& got);

  std::vector<TraceEvent> events_;
  size_t next_ = 0;                // the next event not yet replayed
  std::optional<size_t> current_;  // the recorded transfer being matched
  std::vector<uint8_t> received_;  // its bytes received so far
  bool lastFailed_ = false;
  int exchanges_ = 0;
  std::string divergence_;
  std::vector<std::string> laterSteps_;
};

// A port device that is the register of a recorded session: what the replayer gives after
// each write is read back, as fast as it is asked for or, with the recorded timing, each
// byte no earlier than it came in the recording. Where the recording read nothing, reads
// time out, so that a silence stays silent.
class ReplayPortDevice final : public PortDevice {
 public:
  ReplayPortDevice(std::vector<TraceEvent> events, Clock& clock, bool recordedTiming = false);

  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  bool ClearErrors() override { return true; }
  // Bytes the register had sent before a purge were never read, so never recorded.
  bool Purge() override { return true; }
  bool Write(const uint8_t* data, size_t length) override;
  ReadStatus ReadByte(uint8_t& byte) override;
  bool SetReadTimeout(uint32_t ms) override;
  uint32_t ReadTimeout() const override { return timeout_; }

  const std::string& Divergence() const { return replayer_.Divergence(); }
  // Called, once the transfer it followed in the recording has been written, with each
  // step the recorded session made while that transfer's answer was awaited.
  void SetLaterStepHandler(std::function<void(const std::string&)> handler) {
    laterStep_ = std::move(handler);
  }

 protected:
  bool OpenDevice(const std::string&, OpenMode) override;
  bool ConfigureLine(const LineFormat&) override;

 private:
  Clock& clock_;
  TraceReplayer replayer_;
  std::deque<TraceReplayer::Reply> pending_;
  uint32_t writtenAt_ = 0;  // the clock's tick of the last write
  bool recordedTiming_;
  bool open_ = false;
  uint32_t timeout_ = kByteReadTimeoutMs;
  std::function<void(const std::string&)> laterStep_;
};

}  // namespace ptk
