#include "core/receipts/cash_commands.h"

#include <vector>

#include "core/link/encoding.h"
#include "core/link/result_codes.h"

namespace ptk {
namespace {

constexpr int kQueryAnswerLength = 20;
constexpr size_t kDrawerWholeBytes = 6;  // twelve digits of whole units
// AnswerBuffer holds STX before the payload and ETX and the check byte after it.
constexpr size_t kFrameOverhead = 3;

std::optional<Exchange> CashCommand(const Link& link, uint8_t code, OperationMode mode,
                                    std::string_view amount, char32_t separator) {
  const std::optional<Bcd5> a = EncodeMoney(amount, separator);
  if (!a) return std::nullopt;
  std::vector<uint8_t> params{static_cast<uint8_t>(mode)};
  params.insert(params.end(), a->begin(), a->end());
  Exchange c;
  c.frame = link.CommandFrame(code, params);
  c.delayMs = kReceiptDelayMs;
  return c;
}

Exchange DrawerQuery(const Link& link, uint8_t code, int decodeResult) {
  Exchange c;
  c.frame = link.CommandFrame(code);
  c.allowShortAnswer = 1;
  c.answerLength = kQueryAnswerLength;
  c.delayMs = kDrawerSumDelayMs;
  c.decodeResult = decodeResult;
  return c;
}

// The payload length (marker, result code, data) of the last answer.
size_t PayloadLength(const Link& link) {
  const size_t n = link.AnswerLength > 0 ? static_cast<size_t>(link.AnswerLength) : 0;
  return n > kFrameOverhead ? n - kFrameOverhead : 0;
}

// An answer that was taken as complete but is too short for its amount holds none.
int ReportNoAmount(Link& link) {
  link.ui().SetResult("");
  ShowError(link.ui(), kTextNoAnswer);
  return kExchangeLinkFailure;
}

}  // namespace

std::optional<Exchange> CashInCommand(const Link& link, OperationMode mode, std::string_view amount,
                                      char32_t separator) {
  return CashCommand(link, kCmdCashIn, mode, amount, separator);
}

std::optional<Exchange> CashOutCommand(const Link& link, OperationMode mode,
                                       std::string_view amount, char32_t separator) {
  return CashCommand(link, kCmdCashOut, mode, amount, separator);
}

Exchange QueryCashInDrawerCommand(const Link& link) {
  return DrawerQuery(link, kCmdQueryCashInDrawer, 0);
}

Exchange QueryLastShiftTotalCommand(const Link& link) {
  return DrawerQuery(link, kCmdQueryLastShiftTotal, 1);
}

std::string DecodeDrawerSum(std::span<const uint8_t> answer, size_t first) {
  auto at = [&](size_t i) -> uint8_t { return i < answer.size() ? answer[i] : 0; };
  auto twoDigits = [](int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); };
  // Each byte read as two decimal digits; the twelve digits as one unsigned 64-bit number
  // (at most 18 digits even for bytes that are no BCD, so it cannot overflow).
  std::string digits;
  for (size_t i = 0; i < kDrawerWholeBytes; ++i) digits += twoDigits(BcdToInt(at(first + i)));
  uint64_t units = 0;
  for (char c : digits) units = units * 10 + static_cast<uint64_t>(c - '0');
  return std::to_string(units) + "," + twoDigits(BcdToInt(at(first + kDrawerWholeBytes)));
}

int QueryCashInDrawer(Link& link, std::string& amount) {
  amount.clear();
  const int result = link.Run(QueryCashInDrawerCommand(link));
  if (result != kExchangeOk) return result;
  // Marker and the seven bytes of the amount; a refusal is marker, result code, one byte.
  if (PayloadLength(link) < 1 + kDrawerWholeBytes + 1) {
    const uint8_t code = link.AnswerBuffer[2];
    if (PayloadLength(link) < 2 || IsSuccessCode(code)) return ReportNoAmount(link);
    ShowResultCode(link.ui(), code);
    return kExchangeDeviceError;
  }
  amount = DecodeDrawerSum(link.AnswerBuffer, kCashInDrawerFirst);
  return kExchangeOk;
}

int QueryLastShiftTotal(Link& link, std::string& amount) {
  amount.clear();
  const int result = link.Run(QueryLastShiftTotalCommand(link));
  if (result != kExchangeOk) return result;
  // Marker, result code and the seven bytes of the amount.
  if (PayloadLength(link) < 2 + kDrawerWholeBytes + 1) return ReportNoAmount(link);
  amount = DecodeDrawerSum(link.AnswerBuffer, kLastShiftTotalFirst);
  return kExchangeOk;
}

}  // namespace ptk
