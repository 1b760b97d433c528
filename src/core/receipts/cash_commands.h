// Cash put into the drawer and taken out of it outside a receipt, and the two drawer-sum
// queries of the main menu (the cash in the drawer, the total of the last shift) with the
// decoding of their amounts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/link/frame_exchange.h"
#include "core/receipts/receipt_commands.h"

namespace ptk {

inline constexpr uint8_t kCmdCashIn = 0x49;
inline constexpr uint8_t kCmdCashOut = 0x4F;
inline constexpr uint8_t kCmdQueryCashInDrawer = 0x4D;
inline constexpr uint8_t kCmdQueryLastShiftTotal = 0x58;

// The register needs a moment before the answer of a drawer-sum query can be read.
inline constexpr uint32_t kDrawerSumDelayMs = 200;

// Captions of fm_NalMoney, the texts of the menu commands that open it.
inline constexpr std::string_view kCaptionCashInDrawer = "Сумма наличных денег в ящике";
inline constexpr std::string_view kCaptionLastShiftTotal = "Сумма последнего сменного итога";

// Where the amounts stand in AnswerBuffer: the cash-in-drawer answer has no result code,
// its amount follows the marker; the last-shift total follows the result code.
inline constexpr size_t kCashInDrawerFirst = 2;
inline constexpr size_t kLastShiftTotalFirst = 3;

// password, 49, mode, amount (5 BCD bytes); nullopt when the amount is no valid value.
std::optional<Exchange> CashInCommand(const Link& link, OperationMode mode, std::string_view amount,
                                      char32_t separator);
// password, 4F, mode, amount (5 BCD bytes).
std::optional<Exchange> CashOutCommand(const Link& link, OperationMode mode,
                                       std::string_view amount, char32_t separator);
// password, 4D: answer up to 20 bytes, short answers taken, the result code not decoded.
Exchange QueryCashInDrawerCommand(const Link& link);
// password, 58: answer up to 20 bytes, short answers taken.
Exchange QueryLastShiftTotalCommand(const Link& link);

// A drawer sum: six packed-BCD bytes of whole units (twelve digits) from answer[first],
// then one of hundredths, always with a comma: 00 00 00 12 34 56 07 -> "123456,07", zeros
// -> "0,00". The whole units are a 64-bit number, so twelve nines are shown in full.
// Bytes beyond the answer read as zero.
std::string DecodeDrawerSum(std::span<const uint8_t> answer, size_t first);

// Runs the cash-in-drawer query; on 1, amount holds the decoded sum. The answer carries no
// result code, so an answer too short to hold the amount is the register's refusal: its
// result code (the byte after the marker) is reported as the exchange reports result codes
// (ed_rezult and a box) and 4 is returned, as for any refused command. A short answer
// whose code is a success holds no amount either: it is reported as no answer (0).
// Otherwise the exchange's own result (it has reported any failure).
int QueryCashInDrawer(Link& link, std::string& amount);
// Runs the last-shift total query; on 1, amount holds the decoded sum.
int QueryLastShiftTotal(Link& link, std::string& amount);

}  // namespace ptk
