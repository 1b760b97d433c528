#include "emulator/protocol_engine.h"

#include "core/link/framing.h"

namespace ptk::emu {

namespace {

// Unsigned tick arithmetic: the counter wraps at 2^32.
bool Reached(uint32_t now, uint32_t deadline) {
  return static_cast<int32_t>(now - deadline) >= 0;
}

}  // namespace

void ProtocolEngine::Send(std::vector<uint8_t> bytes, uint32_t at) {
  out_.push_back(OutChunk{std::move(bytes), at});
}

void ProtocolEngine::Enter(EngineState state, uint32_t deadline) {
  state_ = state;
  deadline_ = deadline;
}

uint32_t ProtocolEngine::LastOutAt(uint32_t now) const {
  uint32_t last = now;
  for (const OutChunk& c : out_) {
    if (static_cast<int32_t>(c.at - last) > 0) last = c.at;
  }
  return last;
}

void ProtocolEngine::Abandon() {
  out_.clear();
  ++stats_.answersAbandoned;
}

// The PC opens a transfer. Valid in every state: a PC that gave up on the previous
// command starts the next one with ENQ, and the register follows it.
void ProtocolEngine::OnEnq(uint32_t now) {
  if (faults_->silentEnq > 0) {
    --faults_->silentEnq;
    return;
  }
  if (state_ == EngineState::AwaitEnqAck || state_ == EngineState::AwaitFrameAck) {
    // Executing, opening the answer transfer, or with the first copy of the answer frame
    // still going out. Once the whole frame is on the line, or after a NAK, the PC may
    // have given up reading by its own rules (a sixth bad frame, a bad frame on the
    // compact path, the frame's time limit): a new transfer is then how it starts over.
    if (state_ == EngineState::AwaitEnqAck || (framesSent_ == 1 && !out_.empty()))
      ++stats_.lineViolations;
    Abandon();
  }
  frame_.clear();
  SendByte(ACK, now);
  Enter(EngineState::AwaitFrame, now + limits_.frameStart);
}

void ProtocolEngine::OnFrameByte(uint8_t b, uint32_t now) {
  frame_.push_back(b);
  deadline_ = now + limits_.interByte;
  if (frame_.size() > limits_.maxFrame) {
    // Not a frame of this protocol: refuse it and wait for the PC to send it again.
    ++stats_.framesRejected;
    frame_.clear();
    SendByte(NAK, now);
    Enter(EngineState::AwaitFrame, now + limits_.frameStart);
    return;
  }
  if (!FrameComplete(frame_)) return;
  FrameScan scan = ScanFrame(frame_);
  frame_.clear();
  bool good = scan.checkOk && scan.unstuffed.size() >= 3;
  if (good && faults_->nakFrames > 0) {
    --faults_->nakFrames;
    good = false;
  }
  if (!good) {
    ++stats_.framesRejected;
    SendByte(NAK, now);
    Enter(EngineState::AwaitFrame, now + limits_.frameStart);
    return;
  }
  ++stats_.framesAccepted;
  // unstuffed: STX, payload, ETX, check byte.
  command_.assign(scan.unstuffed.begin() + 1, scan.unstuffed.end() - 2);
  SendByte(ACK, now);
  Enter(EngineState::AwaitEot, now + limits_.eot);
}

void ProtocolEngine::Feed(uint8_t b, uint32_t now) {
  Tick(now);
  switch (state_) {
    case EngineState::Idle:
      if (b == ENQ) OnEnq(now);
      return;  // anything else outside a transfer is ignored
    case EngineState::AwaitFrame:
      if (b == STX) {
        frame_.assign(1, STX);
        Enter(EngineState::InFrame, now + limits_.interByte);
      } else if (b == ENQ) {
        OnEnq(now);  // our ACK was lost: acknowledge again
      } else if (b == EOT) {
        Enter(EngineState::Idle, 0);  // the PC gave up on its frame
      }
      return;
    case EngineState::InFrame:
      OnFrameByte(b, now);
      return;
    case EngineState::AwaitEot:
      if (b == EOT) {
        Execute(now, /*answer=*/true);
      } else if (b == STX) {
        // The PC missed our ACK and sends the frame again: it replaces the first.
        frame_.assign(1, STX);
        Enter(EngineState::InFrame, now + limits_.interByte);
      } else if (b == ENQ) {
        // The PC had our ACK and went on to its next command: its EOT was lost (a PC
        // purges its output queue before every write, which can swallow a byte not yet
        // on the line). The command was delivered, so it is carried out, unanswered.
        Execute(now, /*answer=*/false);
        OnEnq(now);
      }
      return;
    case EngineState::AwaitEnqAck:
      if (b == ENQ) {
        OnEnq(now);
      } else if (b == ACK && out_.empty()) {
        SendAnswerFrame(now);
      }
      return;
    case EngineState::AwaitFrameAck:
      if (b == ENQ) {
        OnEnq(now);
      } else if (b == ACK && out_.empty()) {
        ++stats_.answersCompleted;
        SendByte(EOT, now);
        Enter(EngineState::Idle, 0);
      } else if (b == NAK && out_.empty()) {
        if (framesSent_ < limits_.frameSends) {
          SendAnswerFrame(now);
        } else {
          ++stats_.answersAbandoned;
          SendByte(EOT, now);
          Enter(EngineState::Idle, 0);
        }
      }
      return;
  }
}

void ProtocolEngine::Execute(uint32_t now, bool answer) {
  ++stats_.commandsExecuted;
  Reply reply = executor_->Execute(command_);
  command_.clear();
  if (!answer || reply.noAnswer || reply.payload.empty()) {
    Enter(EngineState::Idle, 0);
    return;
  }
  if (faults_->noAnswer > 0) {
    --faults_->noAnswer;
    Enter(EngineState::Idle, 0);
    return;
  }
  answer_ = BuildFrame(reply.payload);
  framesSent_ = 0;
  enqSent_ = 1;
  uint32_t at = now + reply.executionMs + faults_->delay.Take();
  Send({ENQ}, at);
  Enter(EngineState::AwaitEnqAck, at + limits_.enqAck);
}

void ProtocolEngine::SendAnswerFrame(uint32_t now) {
  std::vector<uint8_t> frame = answer_;
  if (faults_->badCheck > 0) {
    --faults_->badCheck;
    frame.back() ^= 0xFF;
  }
  ++framesSent_;
  ++stats_.answersSent;
  uint32_t pause = faults_->pause.Take();
  if (pause > 0 && frame.size() >= 2) {
    size_t half = frame.size() / 2;
    Send(std::vector<uint8_t>(frame.begin(), frame.begin() + half), now);
    Send(std::vector<uint8_t>(frame.begin() + half, frame.end()), now + pause);
  } else {
    Send(std::move(frame), now);
  }
  Enter(EngineState::AwaitFrameAck, LastOutAt(now) + limits_.frameAck);
}

void ProtocolEngine::Tick(uint32_t now) {
  if (state_ == EngineState::Idle || !Reached(now, deadline_)) return;
  switch (state_) {
    case EngineState::InFrame:
      // The frame stopped half-way: refuse it, the PC sends it again.
      ++stats_.framesRejected;
      frame_.clear();
      SendByte(NAK, now);
      Enter(EngineState::AwaitFrame, now + limits_.frameStart);
      return;
    case EngineState::AwaitEnqAck:
      if (enqSent_ < limits_.enqAttempts) {
        ++enqSent_;
        Send({ENQ}, now);
        Enter(EngineState::AwaitEnqAck, now + limits_.enqAck);
      } else {
        Abandon();
        Enter(EngineState::Idle, 0);
      }
      return;
    case EngineState::AwaitFrameAck:
      Abandon();
      Enter(EngineState::Idle, 0);
      return;
    case EngineState::AwaitEot:
      // An acknowledged command counts as accepted even when its EOT never comes.
      Execute(now, /*answer=*/false);
      return;
    default:
      frame_.clear();
      command_.clear();
      Enter(EngineState::Idle, 0);
      return;
  }
}

bool ProtocolEngine::PopDue(uint32_t now, OutChunk& chunk) {
  if (out_.empty() || !Reached(now, out_.front().at)) return false;
  chunk = std::move(out_.front());
  out_.pop_front();
  return true;
}

std::vector<uint8_t> ProtocolEngine::TakeDue(uint32_t now) {
  std::vector<uint8_t> bytes;
  OutChunk chunk;
  while (PopDue(now, chunk)) bytes.insert(bytes.end(), chunk.bytes.begin(), chunk.bytes.end());
  return bytes;
}

std::optional<uint32_t> ProtocolEngine::NextWakeIn(uint32_t now) const {
  std::optional<uint32_t> wake;
  auto consider = [&](uint32_t at) {
    uint32_t in = Reached(now, at) ? 0 : at - now;
    if (!wake || in < *wake) wake = in;
  };
  if (!out_.empty()) consider(out_.front().at);
  if (state_ != EngineState::Idle) consider(deadline_);
  return wake;
}

}  // namespace ptk::emu
