// The register's numbered registers (1..28): the read command 0x91 with the parameters the
// register window chooses, and the decoding of every register's answer. The decoding is
// one table: a row per register with its fields (answer position, number format, the
// register window's label, the register manager's format), shared by the register window
// and the register manager.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"
#include "core/shell/user_abort.h"

namespace ptk {

inline constexpr uint8_t kCmdReadRegister = 0x91;
inline constexpr int kRegisterCount = 28;

// Exchange arguments of the register read: short answers allowed up to 55 bytes, the
// register's execution time up to 120 s, 100 ms before the answer is read.
inline constexpr int kRegisterAnswerLength = 55;
inline constexpr Timeouts kRegisterTimeouts{500, 500, 2000, 500, 500, 120000, 500};
inline constexpr uint32_t kRegisterDelayMs = 100;

// A read that the person stopped before anything was sent.
inline constexpr int kRegisterReadStopped = -1;
// A register number that is no whole number: "Неверный формат!" shown, nothing sent.
inline constexpr int kRegisterBadNumber = -2;

// "One step done" for the process window's gauge.
using RegisterStepFn = std::function<void()>;

// The register window's lists, in their order: the receipt type (parameter 1 = index + 1),
// the payment type (parameter 2 = index + 1) and the total type (parameter 1 = index).
std::span<const std::string_view> RegisterReceiptTypeItems();  // 6 items
std::span<const std::string_view> RegisterPaymentTypeItems();  // 4 items
std::span<const std::string_view> RegisterTotalTypeItems();    // 2 items

// The command's three parameter bytes.
struct RegisterRequest {
  uint8_t number = 0;
  uint8_t parameter1 = 0;
  uint8_t parameter2 = 0;
  bool operator==(const RegisterRequest&) const = default;
};

// The register number as the number field holds it: an optional '-' and at least one
// digit, nothing else ("", "-", ",", "1," are no whole numbers: nullopt). The field takes
// two characters, so the value is -9..99; longer texts are refused too.
std::optional<int> ParseRegisterNumber(std::string_view text);

// The parameters each register takes: receipt type (index + 1) for registers 1, 2, 3, 6
// and 7, with the payment type (index + 1) for register 3; total type (index) for 12, 13
// and 14; 0 and 0 for all others. A list without a selection (index < 0) gives 0.
RegisterRequest RegisterParameters(uint8_t number, int receiptTypeIndex, int paymentTypeIndex,
                                   int totalTypeIndex);

// The register window's fields as one request. A number outside 1..28 is sent as typed
// (its low byte; the register refuses it); a text that is no whole number gives nullopt.
std::optional<RegisterRequest> RegisterRequestFromFields(std::string_view numberText,
                                                         int receiptTypeIndex, int paymentTypeIndex,
                                                         int totalTypeIndex);

// password, 0x91, register, parameter 1, parameter 2 (6 bytes).
std::vector<uint8_t> ReadRegisterFrame(const Link& link, const RegisterRequest& request);

// The stop test first (a stop returns kRegisterReadStopped and sends nothing), then the
// exchange, then one step of the gauge whatever the exchange gave. Returns the exchange's
// status (1 on success); the answer stays in link.AnswerBuffer.
int ReadRegister(Link& link, UserAbort& abort, const RegisterRequest& request,
                 const RegisterStepFn& step = {});

// How a value is written.
enum class RegisterFormat : uint8_t {
  None,           // no value: the label alone (window) or no cell (manager)
  Money4,         // four BCD bytes of roubles, one of kopecks: "1234,56"
  Money5,         // five and one
  Money6,         // six and one
  SignedMoney5,   // a sign byte (BCD value 1: negative), then Money5
  Count2,         // two BCD bytes, leading zeros removed ("0" for zero)
  Count4,         // four BCD bytes
  Digits5,        // five BCD bytes, leading zeros kept
  Digits6,        // six
  Bcd1,           // one BCD byte's value
  Byte,           // one byte as an unsigned decimal number (not BCD)
  Date,           // three bytes of two digits each, joined by "/"
  Time,           // joined by ":"
  ShiftState,     // 0 "закрыта", anything else "открыта"
  ReceiptState,   // 0..6 their texts, other values their number
  FactoryNumber,  // the first BCD byte's value, then two digits of each of three more
};

struct RegisterField {
  uint8_t position = 0;  // AnswerBuffer index of the first byte
  RegisterFormat window = RegisterFormat::None;
  RegisterFormat manager = RegisterFormat::None;
  std::string_view label;  // the register window's line before the value
};

inline constexpr size_t kMaxRegisterFields = 4;

struct RegisterLayout {
  uint8_t number = 0;
  uint8_t count = 0;  // fields in use
  std::array<RegisterField, kMaxRegisterFields> fields{};
  std::span<const RegisterField> Fields() const { return {fields.data(), count}; }
};

// The 28 registers, in order.
std::span<const RegisterLayout> RegisterLayouts();
// The layout of a register; nullptr outside 1..28.
const RegisterLayout* FindRegisterLayout(int number);

// One value of an answer. answerLength counts STX, payload, ETX and check byte, as
// Link::AnswerLength does; positions past the payload of a short answer read as zero.
std::string FormatRegisterValue(RegisterFormat format, std::span<const uint8_t> answerBuffer,
                                int answerLength, size_t position);

// The register window's lines for a register's answer (UTF-8, in order); none for a
// number outside 1..28.
std::vector<std::string> ShowRegister(int number, std::span<const uint8_t> answerBuffer,
                                      int answerLength);
std::vector<std::string> ShowRegister(int number, const Link& link);

// The register manager's values of a register's answer, one per grid cell.
std::vector<std::string> RegisterCellValues(int number, std::span<const uint8_t> answerBuffer,
                                            int answerLength);
// The number of grid cells a register fills.
size_t RegisterCellCount(int number);

// The register window's button "Считать регистр" after the window cleared the result line
// and disabled itself: a register number that is no whole number shows "Неверный формат!"
// (caption "Ошибка") and gives kRegisterBadNumber without sending anything; otherwise the
// register is read and, on status 1, `lines` receives its lines (else `lines` is left as
// it was, so the memo keeps the previous register). Returns the read's status. The
// window enables itself again whatever this returns.
int ReadRegisterForWindow(Link& link, UserAbort& abort, std::string_view numberText,
                          int receiptTypeIndex, int paymentTypeIndex, int totalTypeIndex,
                          std::vector<std::string>& lines, const RegisterStepFn& step = {});

}  // namespace ptk
