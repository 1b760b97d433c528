#include "core/reports/report_commands.h"

#include <array>

#include "core/link/encoding.h"
#include "core/receipts/money.h"

namespace ptk {
namespace {

constexpr int kRangesAnswer = 25;
constexpr Timeouts kT6Default{};  // T6 10 s
constexpr Timeouts kT6Long{500, 500, 2000, 500, 500, 40000, 500};
constexpr Timeouts kT6VeryLong{500, 500, 2000, 500, 500, 120000, 500};

constexpr std::array<XReportItem, 4> kXReportItems{{
    {"суточный отчет (X-отчет)", 1},
    {"отчет по секциям", 2},
    {"отчет по кассирам", 3},
    {"почасовой отчет", 5},
}};

constexpr std::array<std::string_view, 2> kClearingItems{
    "суточный отчет с гашением (Z-отчет)",
    "общее гашение",
};

Exchange Plain(std::vector<uint8_t> frame, const Timeouts& t, uint32_t delayMs) {
  Exchange c;
  c.frame = std::move(frame);
  c.timeouts = t;
  c.delayMs = delayMs;
  return c;
}

void Append(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// The digits padded to width and packed two per byte.
std::optional<std::vector<uint8_t>> PackedDigits(std::string_view digits, size_t width) {
  std::optional<std::string> padded = PadDigits(digits, width);
  if (!padded) return std::nullopt;
  return PackBcd(*padded);
}

std::string TwoDigits(uint8_t bcd) {
  const int v = BcdToInt(bcd);
  return std::string(1, static_cast<char>('0' + v / 10 % 10)) + static_cast<char>('0' + v % 10);
}

uint8_t ToBcdByte(int value) {
  value %= 100;
  if (value < 0) value += 100;
  return static_cast<uint8_t>(((value / 10) << 4) | (value % 10));
}

int RunOrRefuse(Link& link, const std::optional<Exchange>& command) {
  if (!command) {
    ShowError(link.ui(), kTextBadFormat);
    return 0;
  }
  return link.Run(*command);
}

}  // namespace

std::span<const XReportItem> XReportItems() {
  return kXReportItems;
}

uint8_t XReportTypeByte(int itemIndex) {
  if (itemIndex < 0 || itemIndex >= static_cast<int>(kXReportItems.size())) itemIndex = 0;
  return kXReportItems[static_cast<size_t>(itemIndex)].typeByte;
}

Exchange PrintReportCommand(const Link& link, uint8_t reportType) {
  return Plain(link.CommandFrame(kCmdPrintReport, {reportType}), kT6Long, 100);
}

int PrintReport(Link& link, uint8_t reportType) {
  return link.Run(PrintReportCommand(link, reportType));
}

std::span<const std::string_view> ClearingReportItems() {
  return kClearingItems;
}

Exchange PrintClearingReportCommand(const Link& link, ClearingKind kind) {
  const uint8_t code = kind == ClearingKind::General ? kCmdGeneralClearing : kCmdDailyClearing;
  return Plain(link.CommandFrame(code), kT6Long, 200);
}

int PrintClearingReport(Link& link, ClearingKind kind) {
  return link.Run(PrintClearingReportCommand(link, kind));
}

Exchange PrintEmergencyReportCommand(const Link& link) {
  return Plain(link.CommandFrame(kCmdEmergencyReport), kT6VeryLong, 200);
}

int PrintEmergencyReport(Link& link) {
  return link.Run(PrintEmergencyReportCommand(link));
}

std::optional<Exchange> ProgramFactoryNumberCommand(const Link& link, std::string_view digits) {
  std::optional<std::vector<uint8_t>> number = PackedDigits(digits, kFactoryNumberDigits);
  if (!number) return std::nullopt;
  return Plain(link.CommandFrame(kCmdFactoryNumber, *number), kT6Default, 100);
}

int ProgramFactoryNumber(Link& link, std::string_view digits) {
  return RunOrRefuse(link, ProgramFactoryNumberCommand(link, digits));
}

std::optional<Exchange> FiscalizeCommand(const Link& link, std::string_view regNumber,
                                         std::string_view inn, std::string_view password) {
  std::optional<std::vector<uint8_t>> r = PackedDigits(regNumber, kRegNumberDigits);
  std::optional<std::vector<uint8_t>> i = PackedDigits(inn, kInnDigits);
  std::optional<std::vector<uint8_t>> p = PackedDigits(password, kFmPasswordDigits);
  if (!r || !i || !p) return std::nullopt;
  std::vector<uint8_t> params;
  Append(params, *r);
  Append(params, *i);
  Append(params, *p);
  return Plain(link.CommandFrame(kCmdFiscalize, params), kT6Long, 100);
}

int Fiscalize(Link& link, std::string_view regNumber, std::string_view inn,
              std::string_view password) {
  return RunOrRefuse(link, FiscalizeCommand(link, regNumber, inn, password));
}

Exchange QueryRangesCommand(const Link& link) {
  Exchange c = Plain(link.CommandFrame(kCmdQueryRanges), kT6Default, 200);
  c.allowShortAnswer = 1;
  c.answerLength = kRangesAnswer;
  return c;
}

int QueryRanges(Link& link) {
  return link.Run(QueryRangesCommand(link));
}

FmRanges ShowRanges(std::span<const uint8_t> answerBuffer, int answerLength) {
  // The payload occupies [1 .. answerLength - 3].
  const long lastPayload = static_cast<long>(answerLength) - 3;
  auto at = [&](long i) -> uint8_t {
    return i <= lastPayload && static_cast<size_t>(i) < answerBuffer.size()
               ? answerBuffer[static_cast<size_t>(i)]
               : uint8_t{0};
  };
  FmRanges r;
  r.dateFirst = TwoDigits(at(3)) + "/" + TwoDigits(at(4)) + "/" + TwoDigits(at(5));
  r.dateLast = TwoDigits(at(6)) + "/" + TwoDigits(at(7)) + "/" + TwoDigits(at(8));
  r.shiftFirst = TwoDigits(at(9)) + TwoDigits(at(10));
  r.shiftLast = TwoDigits(at(11)) + TwoDigits(at(12));
  return r;
}

FmRanges ShowRanges(const Link& link) {
  return ShowRanges(link.AnswerBuffer, link.AnswerLength);
}

std::array<uint8_t, 3> EncodeReportDate(const ReportDate& date) {
  return {ToBcdByte(date.day), ToBcdByte(date.month), ToBcdByte(date.year % 100)};
}

std::optional<std::array<uint8_t, 2>> EncodeShiftNumber(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::optional<std::vector<uint8_t>> packed = PackedDigits(digits, kShiftNumberDigits);
  if (!packed) return std::nullopt;
  return std::array<uint8_t, 2>{(*packed)[0], (*packed)[1]};
}

Exchange ReportByDatesCommand(const Link& link, ReportKind kind, bool full, const ReportDate& first,
                              const ReportDate& last) {
  const uint8_t code = kind == ReportKind::Eklz ? kCmdEklzReportByDates : kCmdFmReportByDates;
  std::vector<uint8_t> params{static_cast<uint8_t>(full ? 1 : 0)};
  Append(params, EncodeReportDate(first));
  Append(params, EncodeReportDate(last));
  return Plain(link.CommandFrame(code, params), kT6VeryLong, 200);
}

int ReportByDates(Link& link, ReportKind kind, bool full, const ReportDate& first,
                  const ReportDate& last) {
  return link.Run(ReportByDatesCommand(link, kind, full, first, last));
}

std::optional<Exchange> ReportByShiftsCommand(const Link& link, ReportKind kind, bool full,
                                              std::string_view first, std::string_view last) {
  const std::optional<std::array<uint8_t, 2>> a = EncodeShiftNumber(first);
  const std::optional<std::array<uint8_t, 2>> b = EncodeShiftNumber(last);
  if (!a || !b) return std::nullopt;
  const uint8_t code = kind == ReportKind::Eklz ? kCmdEklzReportByShifts : kCmdFmReportByShifts;
  std::vector<uint8_t> params{static_cast<uint8_t>(full ? 1 : 0)};
  Append(params, *a);
  Append(params, *b);
  return Plain(link.CommandFrame(code, params), kT6VeryLong, 200);
}

int ReportByShifts(Link& link, ReportKind kind, bool full, std::string_view first,
                   std::string_view last) {
  return RunOrRefuse(link, ReportByShiftsCommand(link, kind, full, first, last));
}

std::optional<std::string> PadDigits(std::string_view digits, size_t width) {
  if (digits.size() > width) return std::nullopt;
  for (char c : digits)
    if (c < '0' || c > '9') return std::nullopt;
  std::string padded(width - digits.size(), '0');
  padded.append(digits);
  return padded;
}

}  // namespace ptk
