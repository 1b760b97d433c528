#include "scripted_port.h"

#include <algorithm>

#include "core/link/framing.h"
#include "core/settings/config.h"

namespace ptk::test {
namespace {

// Signed distance from now to a tick, safe across the wrap of the 32-bit counter.
int32_t Until(uint32_t tick, uint32_t now) {
  return static_cast<int32_t>(tick - now);
}

}  // namespace

bool ScriptedPort::OpenDevice(const std::string& name, OpenMode mode) {
  openedName = name;
  openedMode = mode;
  open_ = openResult;
  return open_;
}

bool ScriptedPort::ConfigureLine(const LineFormat& format) {
  configuredLine = format;
  const auto rate = std::find(std::begin(kBaudRates), std::end(kBaudRates), format.baudRate);
  configuredBaud = rate == std::end(kBaudRates) ? -1 : static_cast<int>(rate - kBaudRates);
  readTimeout_ = kByteReadTimeoutMs;
  return configureResult;
}

bool ScriptedPort::ClearErrors() {
  return clearErrorsResult && !vanished;
}

bool ScriptedPort::Purge() {
  ++purges;
  const uint32_t now = clock_->now();
  while (!incoming_.empty() && Until(incoming_.front().due, now) <= 0) {
    incoming_.pop_front();
    ++purgedBytes;
  }
  return !vanished;
}

bool ScriptedPort::Write(const uint8_t* data, size_t length) {
  if (vanished || !open_) return false;
  if (failWrites > 0) {
    --failWrites;
    return false;
  }
  if (refuseWrite && refuseWrite(std::span<const uint8_t>(data, length))) return false;
  writes.push_back({clock_->now(), std::vector<uint8_t>(data, data + length)});
  if (onWrite) onWrite(std::span<const uint8_t>(data, length));
  return true;
}

ReadStatus ScriptedPort::ReadByte(uint8_t& byte) {
  ++reads;
  if (vanished || readsFail || !open_) return ReadStatus::Failed;
  const uint32_t now = clock_->now();
  if (!incoming_.empty()) {
    const int32_t wait = Until(incoming_.front().due, now);
    if (wait <= static_cast<int32_t>(readTimeout_)) {
      if (wait > 0) clock_->Advance(static_cast<uint32_t>(wait));
      byte = incoming_.front().byte;
      incoming_.pop_front();
      return ReadStatus::Byte;
    }
  }
  // Time always moves, so that a loop over reads cannot spin forever on the fake clock.
  clock_->Advance(std::max<uint32_t>(readTimeout_, 1));
  return ReadStatus::Timeout;
}

void ScriptedPort::Arrive(std::span<const uint8_t> bytes, uint32_t delayMs) {
  uint32_t due = clock_->now() + delayMs;
  if (!incoming_.empty() && Until(incoming_.back().due, due) > 0) due = incoming_.back().due;
  for (uint8_t b : bytes) incoming_.push_back({due, b});
}

std::vector<uint8_t> ScriptedPort::Written() const {
  std::vector<uint8_t> all;
  for (const Transfer& t : writes) all.insert(all.end(), t.bytes.begin(), t.bytes.end());
  return all;
}

ScriptedRegister::ScriptedRegister(ScriptedPort& port) : port_(&port) {
  port.onWrite = [this](std::span<const uint8_t> bytes) { OnWrite(bytes); };
}

void ScriptedRegister::NewExchange() {
  enqs = frames = answersSent = 0;
  acksToAnswer = naksToAnswer = 0;
  phase_ = Phase::Idle;
  ended_ = false;
}

void ScriptedRegister::ReplyWith(Reply reply) {
  switch (reply) {
    case Reply::Ack:
      port_->Arrive({ACK});
      break;
    case Reply::Nak:
      port_->Arrive({NAK});
      break;
    case Reply::Garbage:
      port_->Arrive({garbageByte});
      break;
    case Reply::Silent:
      break;
  }
}

void ScriptedRegister::SendAnswer() {
  std::vector<uint8_t> bytes;
  if (!rawAnswer.empty()) {
    bytes = rawAnswer;
  } else {
    bytes = BuildFrame(answerFor ? answerFor(lastCommand_) : answer);
  }
  if (answersSent < corruptAnswers && !bytes.empty()) bytes.back() ^= 0xFF;
  ++answersSent;
  const size_t first = (pauseMs > 0 && pauseAfter < bytes.size()) ? pauseAfter : bytes.size();
  port_->Arrive(std::span<const uint8_t>(bytes.data(), first));
  if (first < bytes.size()) {
    port_->Arrive(std::span<const uint8_t>(bytes.data() + first, bytes.size() - first), pauseMs);
  }
}

void ScriptedRegister::OnWrite(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return;
  const uint8_t first = bytes[0];
  // ENQ from the program opens a new exchange whatever state the last one was left in.
  if (first == ENQ && bytes.size() == 1 && phase_ != Phase::Idle) {
    phase_ = Phase::Idle;
    ended_ = true;
  }
  switch (phase_) {
    case Phase::Idle:
      if (first == ENQ && bytes.size() == 1) {
        if (ended_) NewExchange();
        ++enqs;
        const size_t i = static_cast<size_t>(enqs - 1);
        ReplyWith(i < enqReplies.size() ? enqReplies[i] : enqDefault);
      } else if (first == STX) {
        ++frames;
        const FrameScan scan = ScanFrame(bytes);
        lastCommand_.clear();
        if (scan.unstuffed.size() >= 3) {
          lastCommand_.assign(scan.unstuffed.begin() + 1, scan.unstuffed.end() - 2);
        }
        commands.push_back(lastCommand_);
        commandChecksOk.push_back(scan.checkOk);
        const size_t i = static_cast<size_t>(frames - 1);
        ReplyWith(i < frameReplies.size() ? frameReplies[i] : frameDefault);
      } else if (first == EOT) {
        if (opensAnswer) {
          port_->Arrive({ENQ}, executionMs);
          phase_ = Phase::Answering;
        } else {
          ended_ = true;
        }
      }
      break;
    case Phase::Answering:
      if (first == ACK) {
        SendAnswer();
        phase_ = Phase::AnswerSent;
      }
      break;
    case Phase::AnswerSent:
      if (first == NAK) {
        ++naksToAnswer;
        SendAnswer();
      } else if (first == ACK) {
        ++acksToAnswer;
        if (sendsEot) port_->Arrive({EOT});
        phase_ = Phase::Idle;
        ended_ = true;
      }
      break;
  }
}

}  // namespace ptk::test
