#include "core/link/trace_replay.h"

#include <charconv>
#include <fstream>

#include "core/link/encoding.h"

namespace ptk {

namespace {

// "12.345" milliseconds as microseconds; integers only, whatever the process locale.
std::optional<uint64_t> Micros(std::string_view text) {
  const size_t point = text.find('.');
  if (point == std::string_view::npos || text.size() - point != 4) return std::nullopt;
  uint64_t ms = 0, fraction = 0;
  const std::string_view whole = text.substr(0, point), part = text.substr(point + 1);
  if (std::from_chars(whole.data(), whole.data() + whole.size(), ms).ptr !=
          whole.data() + whole.size() ||
      std::from_chars(part.data(), part.data() + part.size(), fraction).ptr !=
          part.data() + part.size())
    return std::nullopt;
  return ms * 1000 + fraction;
}

// "02 55 00" as bytes; nullopt unless it is only such pairs.
std::optional<std::vector<uint8_t>> Hex(std::string_view text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size(); i += 3) {
    uint8_t b = 0;
    if (i + 2 > text.size() || (i + 2 < text.size() && text[i + 2] != ' ') ||
        std::from_chars(text.data() + i, text.data() + i + 2, b, 16).ptr != text.data() + i + 2)
      return std::nullopt;
    bytes.push_back(b);
  }
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<std::vector<TraceEvent>> ReadTrace(std::istream& in, std::string* error) {
  std::vector<TraceEvent> events;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string_view rest(line);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.empty()) continue;
    const size_t ms = rest.find(" ms  ");
    std::optional<uint64_t> micros;
    if (ms != std::string_view::npos) micros = Micros(rest.substr(0, ms));
    TraceEvent e;
    bool ok = micros.has_value();
    if (ok) {
      e.micros = *micros;
      rest.remove_prefix(ms + 5);
      std::optional<std::vector<uint8_t>> bytes;
      if (rest.starts_with("PC->  ")) {
        e.kind = TraceEvent::Kind::Write;
        rest.remove_prefix(6);
        e.failed = rest.ends_with("  (write failed)");
        if (e.failed) rest.remove_suffix(16);
        bytes = Hex(rest);
      } else if (rest.starts_with("<-PTK ")) {
        e.kind = TraceEvent::Kind::Read;
        bytes = Hex(rest.substr(6));
      } else if (rest.starts_with("----  ")) {
        e.text = std::string(rest.substr(6));
        e.failed = e.text == "read failed";
      } else {
        ok = false;
      }
      if (e.kind != TraceEvent::Kind::Note) {
        ok = bytes.has_value();
        if (ok) e.bytes = std::move(*bytes);
      }
    }
    if (!ok) {
      if (error) *error = "line " + std::to_string(number) + " is not a line of a trace";
      return std::nullopt;
    }
    events.push_back(std::move(e));
  }
  return events;
}

std::optional<std::vector<TraceEvent>> ReadTraceFile(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot open the file";
    return std::nullopt;
  }
  return ReadTrace(in, error);
}

void TraceReplayer::Diverge(const std::vector<uint8_t>& got) {
  const std::string expected =
      current_ ? HexBytes(events_[*current_].bytes) : "(the end of the trace)";
  const bool opens = got == std::vector<uint8_t>{0x05};
  divergence_ = "replay diverged at exchange " + std::to_string(exchanges_ + (opens ? 1 : 0)) +
                ": expected " + expected + " got " + HexBytes(got);
}

std::vector<TraceReplayer::Reply> TraceReplayer::Feed(std::span<const uint8_t> bytes,
                                                      bool wholeTransfer) {
  std::vector<Reply> out;
  for (size_t i = 0; i < bytes.size() && divergence_.empty(); ++i) {
    if (!current_) {
      while (next_ < events_.size() && events_[next_].kind != TraceEvent::Kind::Write) ++next_;
      received_.clear();
      if (next_ == events_.size()) {
        Diverge(std::vector<uint8_t>(bytes.begin() + i, bytes.end()));
        break;
      }
      current_ = next_;
    }
    const TraceEvent& write = events_[*current_];
    received_.push_back(bytes[i]);
    if (write.bytes[received_.size() - 1] != bytes[i]) {
      received_.insert(received_.end(), bytes.begin() + i + 1, bytes.end());
      Diverge(received_);
      break;
    }
    if (received_.size() < write.bytes.size()) continue;
    // The whole transfer: what the recording read after it, up to the next one.
    if (write.bytes == std::vector<uint8_t>{0x05}) ++exchanges_;
    lastFailed_ = write.failed;
    for (next_ = *current_ + 1;
         next_ < events_.size() && events_[next_].kind != TraceEvent::Kind::Write; ++next_) {
      const TraceEvent& e = events_[next_];
      const uint64_t after = e.micros > write.micros ? e.micros - write.micros : 0;
      if (e.kind == TraceEvent::Kind::Read) {
        for (uint8_t b : e.bytes) out.push_back({b, false, after});
      } else if (e.failed) {
        out.push_back({0, true, after});
      } else if (std::string_view(e.text).starts_with(kLaterNote)) {
        laterSteps_.push_back(e.text.substr(kLaterNote.size()));
      }
    }
    current_.reset();
    received_.clear();
  }
  if (wholeTransfer && current_ && divergence_.empty()) Diverge(received_);
  if (!divergence_.empty()) out.clear();
  return out;
}

bool TraceReplayer::ReplayNote(std::string_view what) {
  for (size_t i = next_; i < events_.size() && events_[i].kind == TraceEvent::Kind::Note; ++i) {
    if (std::string_view(events_[i].text).starts_with(what)) {
      next_ = i + 1;
      return !std::string_view(events_[i].text).ends_with(" failed");
    }
  }
  return true;
}

ReplayPortDevice::ReplayPortDevice(std::vector<TraceEvent> events, Clock& clock,
                                   bool recordedTiming)
    : clock_(clock), replayer_(std::move(events)), recordedTiming_(recordedTiming) {}

bool ReplayPortDevice::OpenDevice(const std::string&, OpenMode) {
  open_ = replayer_.ReplayNote("open ");
  return open_;
}

bool ReplayPortDevice::ConfigureLine(const LineFormat&) {
  timeout_ = kByteReadTimeoutMs;
  return replayer_.ReplayNote("configure ");
}

bool ReplayPortDevice::SetReadTimeout(uint32_t ms) {
  timeout_ = ms;
  return true;
}

bool ReplayPortDevice::Write(const uint8_t* data, size_t length) {
  const std::vector<TraceReplayer::Reply> replies =
      replayer_.Feed(std::span<const uint8_t>(data, length), true);
  pending_.assign(replies.begin(), replies.end());
  writtenAt_ = clock_.TickCount();
  for (const std::string& step : replayer_.TakeLaterSteps()) {
    if (laterStep_) laterStep_(step);
  }
  // After a divergence no one listens any more: the write itself goes.
  return !Divergence().empty() || !replayer_.LastTransferFailed();
}

ReadStatus ReplayPortDevice::ReadByte(uint8_t& byte) {
  if (pending_.empty()) {
    clock_.Sleep(timeout_);  // the recording read nothing more here: silence
    return ReadStatus::Timeout;
  }
  if (recordedTiming_) {
    const uint32_t due = writtenAt_ + static_cast<uint32_t>(pending_.front().afterMicros / 1000);
    const int32_t wait = static_cast<int32_t>(due - clock_.TickCount());
    if (wait > static_cast<int32_t>(timeout_)) {
      clock_.Sleep(timeout_);
      return ReadStatus::Timeout;
    }
    if (wait > 0) clock_.Sleep(static_cast<uint32_t>(wait));
  }
  const TraceReplayer::Reply r = pending_.front();
  pending_.pop_front();
  if (r.failure) return ReadStatus::Failed;
  byte = r.byte;
  return ReadStatus::Byte;
}

}  // namespace ptk
