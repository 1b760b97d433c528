#include "core/link/frame_exchange.h"

#include <algorithm>

#include "core/link/encoding.h"
#include "core/link/framing.h"
#include "core/link/result_codes.h"

namespace ptk {
namespace {

enum class LinkState { Ok, NoLink, NoAnswer, ChecksumError };

// How offering a transfer opening (ENQ) or a frame to the register ended.
enum class Offer {
  Acked,    // the register answered ACK
  Refused,  // 100 attempts without ACK: no link, but the line is still closed with EOT
  GaveUp,   // a write or the register's silence reached its give-up count: no EOT
};

// The give-up counts of one offer loop.
struct GiveUp {
  int failedWrite;  // a failed write on this attempt ends the exchange
  int silence;      // no reply on this attempt ends the exchange
};

constexpr int kAttempts = 100;
constexpr int kReadings = 6;  // the first answer and five re-reads after NAK
// The answer as it arrives, still stuffed: a firmware block of 250 bytes fills the
// unstuffed buffer almost to the end, and every 0x10 or 0x03 in it takes two bytes on
// the line, so the raw area has room for an answer stuffed throughout.
constexpr size_t kRawAnswerSize = 2 * kLinkBufferSize;

constexpr uint8_t kStateQuery = 0x3F;
constexpr uint8_t kDeviceTypeQuery = 0xA5;
constexpr uint8_t kFirmwareRead = 0x84;
constexpr uint8_t kExtendedQuery = 0xE0;

// Reads one logical byte within limitMs; false when none arrived.
bool ReadReply(SerialPort& port, uint32_t limitMs, uint8_t& reply) {
  std::array<uint8_t, kLinkBufferSize> buffer{};
  if (!port.TimedRead(buffer.data(), buffer.size(), 1, limitMs)) return false;
  reply = buffer[0];
  return true;
}

// Waits for the register to open its answer transfer. The wait may last T6 (seconds to
// minutes), so the device polls in 10 ms slices instead of 2 ms ones: a byte still ends
// the wait at once, but the program wakes five times less often while the register works.
// The per-byte time-out is put back for the answer frame.
bool WaitForOpening(SerialPort& port, uint32_t limitMs, uint8_t& reply) {
  constexpr uint32_t kSliceMs = 10;
  PortDevice& device = port.device();
  const uint32_t previous = device.ReadTimeout();
  const bool sliced = previous < kSliceMs && device.SetReadTimeout(kSliceMs);
  const bool ok = ReadReply(port, limitMs, reply);
  if (sliced) device.SetReadTimeout(previous);
  return ok;
}

bool WriteByte(SerialPort& port, uint8_t b, uint32_t limitMs) {
  return port.TimedWrite(&b, 1, limitMs);
}

// Sends bytes and waits for ACK, again and again: any byte other than ACK is a refusal.
Offer OfferUntilAcked(SerialPort& port, std::span<const uint8_t> bytes, uint32_t writeLimit,
                      uint32_t replyLimit, GiveUp giveUp) {
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    const bool written = port.TimedWrite(bytes.data(), bytes.size(), writeLimit);
    if (!written && attempt == giveUp.failedWrite) return Offer::GaveUp;
    uint8_t reply = 0;
    const bool replied = ReadReply(port, replyLimit, reply);
    if (replied && reply == ACK) return Offer::Acked;
    if (attempt == kAttempts) return Offer::Refused;
    if (!replied && attempt == giveUp.silence) return Offer::GaveUp;
  }
  return Offer::Refused;
}

// The PC's transfer: ENQ, then the frame. True when the line is to be closed with EOT
// (the frame was acknowledged, or 100 refusals); state becomes NoLink on any failure.
bool SendTransfer(SerialPort& port, std::span<const uint8_t> command, const Timeouts& t,
                  GiveUp enqGiveUp, GiveUp frameGiveUp, LinkState& state) {
  // Gave up: no EOT follows. Refused 100 times: the line is still closed with EOT.
  auto failed = [&state](Offer offer) {
    if (offer != Offer::Acked) state = LinkState::NoLink;
    return offer != Offer::Acked;
  };
  const uint8_t enq = ENQ;
  const Offer opened =
      OfferUntilAcked(port, std::span<const uint8_t>(&enq, 1), t.t1, t.t2, enqGiveUp);
  if (failed(opened)) return opened == Offer::Refused;
  const std::vector<uint8_t> frame = BuildFrame(command);
  const Offer sent = OfferUntilAcked(port, frame, t.t3, t.t4, frameGiveUp);
  if (failed(sent)) return sent == Offer::Refused;
  return true;
}

// The failure shown to the person at the end of an exchange; the exchange's result.
int ReportState(UserInterface& ui, LinkState state, int okResult) {
  switch (state) {
    case LinkState::NoLink:
      ShowError(ui, kTextNoLink);
      return kExchangeLinkFailure;
    case LinkState::NoAnswer:
      ShowError(ui, kTextNoAnswer);
      return kExchangeLinkFailure;
    case LinkState::ChecksumError:
      ShowError(ui, kTextChecksumError);
      return kExchangeChecksumError;
    case LinkState::Ok:
      break;
  }
  return okResult;
}

}  // namespace

std::string AccessPasswordDigits(std::string_view accessPassword) {
  std::string digits;
  for (size_t i = 0; i < accessPassword.size() && i < 4; ++i) {
    const char c = accessPassword[i];
    if (c < '0' || c > '9') break;
    digits += c;
  }
  digits.insert(0, 4 - digits.size(), '0');
  return digits;
}

std::vector<uint8_t> Link::CommandFrame(uint8_t code, std::span<const uint8_t> params) const {
  std::vector<uint8_t> frame = PackBcd(AccessPasswordDigits(settings_->AccessPassword));
  frame.push_back(code);
  frame.insert(frame.end(), params.begin(), params.end());
  return frame;
}

int Link::ExchangeWithAnswer(std::span<const uint8_t> frame, int allowShortAnswer, int answerLength,
                             int decodeResult, const Timeouts& t, uint32_t delayMs) {
  const SerialPort::LineHold hold(*port_);
  if (!hold.held()) return kExchangeBusy;
  ui_->SetResult("");
  if (frame.size() > kMaxAnswerCommandLength) {
    ShowError(*ui_, kTextFrameTooLong);
    return kExchangeLinkFailure;
  }
  const uint8_t code = frame.size() > 2 ? frame[2] : 0;
  LinkState state = LinkState::Ok;
  if (!SendTransfer(*port_, frame, t, GiveUp{5, 5}, GiveUp{5, 5}, state)) {
    return ReportState(*ui_, state, kExchangeLinkFailure);
  }

  // Close our transfer and turn the line: the register opens its answer transfer with
  // ENQ (its value is not examined) once the command has executed, within T6.
  uint8_t opening = 0;
  if (!WriteByte(*port_, EOT, t.t5) || !WaitForOpening(*port_, t.t6, opening) ||
      !WriteByte(*port_, ACK, t.t1)) {
    return ReportState(*ui_, LinkState::NoAnswer, kExchangeLinkFailure);
  }
  port_->clock().Sleep(delayMs);

  // The answer frame; after NAK the register repeats it.
  const size_t wanted = answerLength > 0 ? static_cast<size_t>(answerLength) : 0;
  uint8_t resultCode = 0;
  for (int reading = 1;; ++reading) {
    std::array<uint8_t, kRawAnswerSize> raw{};
    size_t rawCount = 0;
    const bool whole = port_->ReadFrame(raw.data(), raw.size(), wanted, t.t7, &rawCount);
    if (raw[0] != STX || (!whole && allowShortAnswer == 0)) {
      return ReportState(*ui_, LinkState::NoAnswer, kExchangeLinkFailure);
    }
    const FrameScan scan = ScanFrame(std::span<const uint8_t>(raw.data(), rawCount));
    // An answer longer than the answer buffer cannot reach the caller whole.
    if (scan.unstuffed.size() > AnswerBuffer.size()) {
      return ReportState(*ui_, LinkState::NoAnswer, kExchangeLinkFailure);
    }
    const uint8_t reply = scan.checkOk ? ACK : NAK;

    AnswerBuffer.fill(0);
    AnswerLength = static_cast<int>(std::min(scan.unstuffed.size(), AnswerBuffer.size()));
    std::copy_n(scan.unstuffed.begin(), AnswerLength, AnswerBuffer.begin());

    if (decodeResult == 1) {
      if (code == kStateQuery) {
        resultCode = AnswerBuffer[1] == 'D' ? 0x00 : AnswerBuffer[2];
      } else if (code == kDeviceTypeQuery) {
        resultCode = AnswerBuffer[1];
      } else {
        resultCode = AnswerBuffer[2];
      }
    } else {
      ui_->SetResult(ResultCodeText(0x00));
    }

    if (!WriteByte(*port_, reply, t.t7)) {
      return ReportState(*ui_, LinkState::NoAnswer, kExchangeLinkFailure);
    }
    if (reply == ACK) break;
    if (reading == kReadings) {
      return ReportState(*ui_, LinkState::ChecksumError, kExchangeChecksumError);
    }
  }

  // The register's closing EOT: only its arrival matters, and only without decoding.
  uint8_t closing = 0;
  const bool closed = ReadReply(*port_, t.t5, closing);
  int result = kExchangeLinkFailure;
  bool deviceError = false;
  if (decodeResult == 1) {
    if (code == kFirmwareRead && resultCode == rc::kNoMoreFirmware) {
      result = kExchangeNoMoreData;
    } else if (code == kExtendedQuery &&
               (resultCode == rc::kNotSupported || resultCode == rc::kBadCommand)) {
      result = kExchangeNotSupported;
    } else if (ShowResultCode(*ui_, resultCode) == 1) {
      result = kExchangeOk;
    } else {
      deviceError = true;
    }
  } else {
    result = closed ? kExchangeOk : kExchangeLinkFailure;
  }

  // A refused transfer still got here with NoLink kept: its box is shown, and an error
  // reported by the register still decides the result.
  result = ReportState(*ui_, state, result);
  return deviceError ? kExchangeDeviceError : result;
}

int Link::ExchangeNoAnswer(std::span<const uint8_t> frame, const Timeouts& t) {
  const SerialPort::LineHold hold(*port_);
  if (!hold.held()) return kExchangeBusy;
  ui_->SetResult("");
  if (frame.size() > kMaxNoAnswerCommandLength) {
    ShowError(*ui_, kTextFrameTooLong);
    return kExchangeLinkFailure;
  }
  LinkState state = LinkState::Ok;
  if (SendTransfer(*port_, frame, t, GiveUp{5, 20}, GiveUp{10, 20}, state)) {
    if (!WriteByte(*port_, EOT, t.t5)) state = LinkState::NoAnswer;
  }
  return ReportState(*ui_, state, kExchangeOk);
}

int Link::Run(const Exchange& e) {
  if (!e.withAnswer) return ExchangeNoAnswer(e.frame, e.timeouts);
  return ExchangeWithAnswer(e.frame, e.allowShortAnswer, e.answerLength, e.decodeResult, e.timeouts,
                            e.delayMs);
}

}  // namespace ptk
