// The three state queries of the register and the texts the state window shows:
// the device state (0x3F), the state code (0x45) and the device type (0xA5), with the
// table of mode/submode bytes that every window showing or testing the mode uses.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"

namespace ptk {

inline constexpr uint8_t kCmdDeviceState = 0x3F;
inline constexpr uint8_t kCmdStateCode = 0x45;
inline constexpr uint8_t kCmdDeviceType = 0xA5;

// The exchange arguments of the three queries (answerLength 55, short answers allowed).
inline constexpr int kStateAnswerLength = 55;
inline constexpr Timeouts kStateCodeTimeouts{500, 2000, 2000, 2000, 500, 10000, 500};
inline constexpr uint32_t kStateQueryDelayMs = 200;

// Each builds password + code and runs ExchangeWithAnswer; the answer stays in
// link.AnswerBuffer. 1 on success; failures have been shown by the exchange.
int QueryDeviceState(Link& link);  // decodeResult 1, default time-outs
int QueryStateCode(Link& link);    // decodeResult 0, kStateCodeTimeouts
int QueryDeviceType(Link& link);   // decodeResult 1, default time-outs

// One row of the mode table: the mode byte (mode in the low four bits, submode in the
// high four bits) and its two lines.
struct DeviceModeEntry {
  uint8_t value;
  std::string_view modeLine;
  std::string_view submodeLine;
};
// All 40 known bytes, in the register's order.
std::span<const DeviceModeEntry> DeviceModeTable();
// The entry of a byte; a byte not in the table gives two lines of one blank each.
DeviceModeEntry LookupDeviceMode(uint8_t value);

// The decoded state code. `mode` is the byte as received (mode in its low four bits);
// each flag is 0 or 1.
struct StateCode {
  uint8_t mode = 0;
  uint8_t noPaper = 0;        // bit 0 of the flags byte
  uint8_t noPrinterLink = 0;  // bit 1
  uint8_t coverOpen = 0;      // bit 2
  uint8_t noRoll = 0;         // bit 3
};

// The program's one shared record, overwritten by every DecodeStateCode(link); the report
// wait polls it while a report prints. Everything runs on the UI thread.
extern StateCode LastStateCode;

// Pure decoding of a 0x45 answer ([2] mode byte, [3] printer flags).
StateCode DecodeStateCode(std::span<const uint8_t> answerBuffer, int answerLength);
// Decodes link.AnswerBuffer into LastStateCode and returns it.
StateCode DecodeStateCode(const Link& link);

// The lines the state window shows for an answer (UTF-8, in order). answerLength counts
// STX, payload, ETX and check byte, as Link::AnswerLength does. Positions past the
// payload of a short answer read as zero, so a short answer decodes as zero values and
// the "clear" texts; nothing past the buffer is ever read.
std::vector<std::string> ShowDeviceState(std::span<const uint8_t> answerBuffer, int answerLength);
std::vector<std::string> ShowStateCode(std::span<const uint8_t> answerBuffer, int answerLength);
std::vector<std::string> ShowDeviceType(std::span<const uint8_t> answerBuffer, int answerLength);

// The same from the link's last answer.
std::vector<std::string> ShowDeviceState(const Link& link);
std::vector<std::string> ShowStateCode(const Link& link);
std::vector<std::string> ShowDeviceType(const Link& link);

// The name of a language table number ("зарезервировано" beyond the known ones).
std::string_view LanguageTableName(int number);

// The device name bytes as text: a byte of the register's character table becomes its
// character; any other printable byte is shown as the Windows-1251 character of that
// code; control bytes (below 0x20, 0x7F) are shown as '?'.
std::string DeviceNameText(std::span<const uint8_t> bytes);

}  // namespace ptk
