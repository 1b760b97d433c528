// The compact command path: the same line protocol as the frame exchange, on the same
// open port, with 90-byte frames, an answer time-out chosen by command code, the answer
// payload returned in the caller's buffer and failures reported as numeric error codes
// (shown by the caller with ShowDirectError). It never writes to ed_rezult itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/link/frame_exchange.h"
#include "core/link/serial_port.h"
#include "core/settings/config.h"
#include "core/shell/user_interface.h"

namespace ptk {

// Error codes of the compact path (0 is success). Codes produced by the transport
// itself and the ones callers report through ShowDirectError.
namespace direct_error {
inline constexpr int kOk = 0;
inline constexpr int kNoMemory = 14;
inline constexpr int kCannotOpenFile = 17;
inline constexpr int kFileWrite = 18;
inline constexpr int kFileRead = 19;
inline constexpr int kLibraryNotFound = 33;
inline constexpr int kNotImplemented = 36;
inline constexpr int kGuiInit = 40;
inline constexpr int kInvalidParameter = 160;
inline constexpr int kInvalidDate = 161;
inline constexpr int kPortUnavailable = 193;
inline constexpr int kLocalPort = 194;   // a port operation failed
inline constexpr int kNoLink = 196;      // no ACK after five ENQs
inline constexpr int kNoAnswer = 197;    // the register did not answer in time
inline constexpr int kTransfer = 198;    // the frame was not acknowledged
inline constexpr int kTooLong = 202;     // the payload is too long (nothing sent)
inline constexpr int kExcessData = 203;  // the received frame is too long
inline constexpr int kChecksum = 204;    // wrong check byte
inline constexpr int kPrinter = 209;
inline constexpr int kNoPaper = 210;  // result code 0x67
inline constexpr int kFiscalMemory = 218;
inline constexpr int kEklz = 219;
inline constexpr int kNoData = 223;
inline constexpr int kBufferTooSmall = 257;  // the answer is longer than the caller's buffer
inline constexpr int kNotFound = 404;
inline constexpr int kUnknown = 65535;
inline constexpr int kNeedsConfirmation = 4097;  // result code 0x16
inline constexpr int kShiftTooLong = 4098;       // result code 0x88
inline constexpr int kWrongPassword = 4099;      // result code 0x8C
inline constexpr int kWrongMode = 4100;          // result code 0x66
inline constexpr int kUserAbort = 4101;
// Another exchange holds the line: nothing was sent, and ShowDirectError shows nothing.
inline constexpr int kLineBusy = 4102;
}  // namespace direct_error

// Frame limits: the unstuffed payload (password, code, parameters) at most 90 bytes, its
// stuffed form and a received frame below 90.
inline constexpr size_t kDirectAreaSize = 90;

// Phase time-outs (ms).
inline constexpr uint32_t kDirectHandshakeMs = 700;
inline constexpr int kDirectEnqAttempts = 5;
inline constexpr uint32_t kDirectReplyMs = 500;
inline constexpr int kDirectNakLimit = 10;
inline constexpr uint32_t kDirectFirstByteMs = 2000;
inline constexpr uint32_t kDirectByteMs = 500;
// Long waits are cut into slices of at most this long, with window messages pumped
// between them, so that the windows stay alive while the register works.
inline constexpr uint32_t kDirectWaitSliceMs = 50;

// How long the register may take before it starts answering a command.
uint32_t DirectAnswerTimeout(uint8_t code);

// The error code for an answer's result code: 0 for 0x00, 4097/4098/4099/4100/210 for
// 0x16/0x88/0x8C/0x66/0x67, else 0x80000000 + code (a negative int).
int DirectErrorForResult(uint8_t resultCode);

// Sends code and params with the password taken from the first four characters of
// settings.AccessPassword (AccessPasswordDigits). The answer's result code is its byte 1,
// and byte 0 for the device-type query 0xA5. With answer == nullptr the command is sent and no
// answer is read. Otherwise *answerLength is the buffer's capacity on entry and the payload length
// (marker, result code, data) on success.
int DirectCommand(SerialPort& port, const Settings& settings, uint8_t code,
                  std::span<const uint8_t> params, uint8_t* answer, size_t* answerLength);
inline int DirectCommand(Link& link, uint8_t code, std::span<const uint8_t> params, uint8_t* answer,
                         size_t* answerLength) {
  return DirectCommand(link.port(), link.settings(), code, params, answer, answerLength);
}

// The text of an error code ("Неизвестная ошибка" for a code not in the table).
std::string_view DirectErrorText(int error);

// Nothing for 0; a negative error through ShowResultCode of its low byte; any other
// error in a box "Ошибка" with the error icon.
void ShowDirectError(UserInterface& ui, int error);

// The nine feature flags of the connected model (32-bit, 0 or 1).
struct ModelCapabilities {
  uint32_t paperWidth = 0;         // table 2 field 37
  uint32_t customerDisplay = 0;    // table 2 field 38
  uint32_t attributesTable = 0;    // table 15 and its tab
  uint32_t pictures = 0;           // picture manager
  uint32_t doubleImageHeight = 0;  // table 2 field 6
  uint32_t fontList = 0;           // which list of font names the font box shows
  uint32_t headerSpacing = 0;      // table 2 field 7
  uint32_t eighthFlag = 0;         // not read by the program
  uint32_t printBuffer = 0;        // table 2 field 40

  bool operator==(const ModelCapabilities&) const = default;
};

// The three known model codes. The third is the full-featured one, and the one the
// virtual register reports by default.
inline constexpr uint16_t kModelCodeFirst = 1;
inline constexpr uint16_t kModelCodeSecond = 2;
inline constexpr uint16_t kModelCodeThird = 3;
inline constexpr uint16_t kKnownModelCodes[3] = {kModelCodeFirst, kModelCodeSecond,
                                                 kModelCodeThird};

// The record of a model code; all zero for a model that is not known.
const ModelCapabilities& CapabilitiesForModel(uint16_t modelCode);

struct ModelIdentity {
  uint16_t modelCode = 0;
  ModelCapabilities caps;  // all zero until a successful identification
};

// Program-wide: the model code and record selected by the last IdentifyModel.
ModelIdentity& CurrentModel();

// DirectCommand 0xA5 with a 90-byte answer buffer; on success the model code is the
// little-endian 16-bit value at payload bytes 6 and 7. Fills identity (all zero on any
// failure) and returns the command's error code.
int IdentifyModel(SerialPort& port, const Settings& settings, ModelIdentity& identity);
// The same, updating CurrentModel().
int IdentifyModel(Link& link);

// The system's text of the last error of the calling thread (strerror(errno) or
// FormatMessage(GetLastError())).
std::string LastSystemErrorText();

}  // namespace ptk
