// One command to the register and its answer: the PC's transfer (ENQ, frame, EOT) and
// the register's answer transfer (ENQ, frame, ACK/NAK, EOT), with the result shown to
// the person (boxes and ed_rezult).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/link/serial_port.h"
#include "core/settings/config.h"
#include "core/shell/user_interface.h"

namespace ptk {

// T1 ENQ and ACK writes; T2 reply to ENQ; T3 frame write; T4 reply to the frame;
// T5 EOT write and the register's closing EOT; T6 execution time (the register opening
// its answer transfer); T7 reading the answer frame and writing ACK/NAK.
struct Timeouts {
  uint32_t t1 = 500, t2 = 500, t3 = 2000, t4 = 500, t5 = 500, t6 = 10000, t7 = 500;
};

// Results of ExchangeWithAnswer / ExchangeNoAnswer.
inline constexpr int kExchangeOk = 1;
inline constexpr int kExchangeLinkFailure = 0;
inline constexpr int kExchangeChecksumError = 3;
inline constexpr int kExchangeDeviceError = 4;
inline constexpr int kExchangeNoMoreData = 2;     // 0x84 answered 0x18
inline constexpr int kExchangeNotSupported = 22;  // 0xE0 answered 0x7A or 0x46
// Another exchange holds the line (this one was asked for from inside its wait): nothing
// was sent, shown or changed.
inline constexpr int kExchangeBusy = 5;

inline constexpr size_t kLinkBufferSize = 260;
// Longest command frames: stuffed in full, with STX, ETX and the check byte, a frame of
// 128 bytes still fits the 260-byte buffer.
inline constexpr size_t kMaxAnswerCommandLength = 128;
inline constexpr size_t kMaxNoAnswerCommandLength = 60;

inline constexpr std::string_view kTextNoLink = "Нет связи!";
inline constexpr std::string_view kTextNoAnswer = "Нет ответа!";
inline constexpr std::string_view kTextChecksumError = "Ошибка контрольной суммы!";
// A caller built a command frame longer than the exchange accepts; nothing is sent.
inline constexpr std::string_view kTextFrameTooLong = "Слишком длинная команда!";

// The answer of most commands: STX, marker, result code, operator number, ETX, check byte.
inline constexpr int kPlainAnswerLength = 6;

// One command exchange as a value: the command frame, the shape of its answer, the time
// limits and the delay before the answer is read. Every command builder returns one, and
// Link::Run carries it out.
struct Exchange {
  std::vector<uint8_t> frame;
  int answerLength = kPlainAnswerLength;
  int allowShortAnswer = 0;  // 1: an answer shorter than answerLength is taken
  int decodeResult = 1;      // 0: the answer carries no result code to show
  Timeouts timeouts;
  uint32_t delayMs = 0;    // between the register's opening and reading its answer
  bool withAnswer = true;  // false: the frame is only delivered (T1..T5 apply)

  // The usual shapes: a plain answer of kPlainAnswerLength bytes with its result shown; an
  // answer that may be shorter than answerLength; a frame delivered without an answer.
  static Exchange Plain(std::vector<uint8_t> frame, uint32_t delayMs = 0) {
    Exchange e;
    e.frame = std::move(frame);
    e.delayMs = delayMs;
    return e;
  }
  static Exchange ShortAnswer(std::vector<uint8_t> frame, int answerLength, uint32_t delayMs,
                              const Timeouts& t = {}) {
    Exchange e = Plain(std::move(frame), delayMs);
    e.answerLength = answerLength;
    e.allowShortAnswer = 1;
    e.timeouts = t;
    return e;
  }
  static Exchange Delivery(std::vector<uint8_t> frame, const Timeouts& t = {}) {
    Exchange e = Plain(std::move(frame));
    e.withAnswer = false;
    e.timeouts = t;
    return e;
  }
};

// The four digits both command routes send as the access password: the leading decimal
// digits of its first four characters, left-padded with '0' ("30" is "0030", "" is
// "0000"), so that the frame exchange and the compact path send the same two bytes.
std::string AccessPasswordDigits(std::string_view accessPassword);

class Link {
 public:
  Link(SerialPort& port, UserInterface& ui, Settings& settings)
      : port_(&port), ui_(&ui), settings_(&settings) {}

  // The common command layout: AccessPassword packed as two BCD bytes, code, parameters.
  std::vector<uint8_t> CommandFrame(uint8_t code, std::span<const uint8_t> params = {}) const;
  std::vector<uint8_t> CommandFrame(uint8_t code, std::initializer_list<uint8_t> params) const {
    return CommandFrame(code, std::span<const uint8_t>(params.begin(), params.size()));
  }

  int ExchangeWithAnswer(std::span<const uint8_t> frame, int allowShortAnswer, int answerLength,
                         int decodeResult, const Timeouts& t = {}, uint32_t delayMs = 0);
  int ExchangeNoAnswer(std::span<const uint8_t> frame, const Timeouts& t = {});
  // The exchange as it is described: ExchangeWithAnswer, or ExchangeNoAnswer for a
  // command without an answer transfer.
  int Run(const Exchange& e);

  // The unstuffed answer of the last exchange: [0] STX, [1] marker, [2] result code,
  // data from [3]; then ETX and the check byte; the rest zero.
  std::array<uint8_t, kLinkBufferSize> AnswerBuffer{};
  int AnswerLength = 0;

  SerialPort& port() { return *port_; }
  UserInterface& ui() { return *ui_; }
  Settings& settings() { return *settings_; }
  const Settings& settings() const { return *settings_; }

 private:
  SerialPort* port_;
  UserInterface* ui_;
  Settings* settings_;
};

}  // namespace ptk
