// The report commands and the fiscal-memory commands: X reports (0x67), the reports with
// clearing (0x5A, 0x77), the emergency fiscal-memory report (0x60), the factory number
// (0x61), fiscalisation (0x62), the ranges of the fiscal memory (0x63) and the reports by
// dates and by shifts, of the fiscal memory (0x65, 0x66) and of the ЭКЛЗ (0xAC, 0xAD).
//
// Each builder gives the exchange (the command frame with the answer's shape, the time
// limits and the delay that belong to it); Link::Run sends it. Builders that encode
// a field's digits return nullopt for a text that is not made of digits or is longer than
// its field: the window then shows kTextBadFormat and sends nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"

namespace ptk {

inline constexpr uint8_t kCmdPrintReport = 0x67;
inline constexpr uint8_t kCmdDailyClearing = 0x5A;
inline constexpr uint8_t kCmdGeneralClearing = 0x77;
inline constexpr uint8_t kCmdEmergencyReport = 0x60;
inline constexpr uint8_t kCmdFactoryNumber = 0x61;
inline constexpr uint8_t kCmdFiscalize = 0x62;
inline constexpr uint8_t kCmdQueryRanges = 0x63;
inline constexpr uint8_t kCmdFmReportByDates = 0x65;
inline constexpr uint8_t kCmdFmReportByShifts = 0x66;
inline constexpr uint8_t kCmdEklzReportByDates = 0xAC;
inline constexpr uint8_t kCmdEklzReportByShifts = 0xAD;

// Widths in digits of the fiscal-memory requisites.
inline constexpr size_t kFactoryNumberDigits = 8;
inline constexpr size_t kRegNumberDigits = 10;
inline constexpr size_t kInnDigits = 12;
inline constexpr size_t kFmPasswordDigits = 8;
inline constexpr size_t kShiftNumberDigits = 4;

// The items of rg_TypeOtch in fm_Reports, with the report type byte each sends (type 4
// is never sent).
struct XReportItem {
  std::string_view text;
  uint8_t typeByte;
};
std::span<const XReportItem> XReportItems();
// The type byte of an item index; the first item's for an index out of range.
uint8_t XReportTypeByte(int itemIndex);

// password, 0x67, type; T6 40 s, delay 100 ms.
Exchange PrintReportCommand(const Link& link, uint8_t reportType);
int PrintReport(Link& link, uint8_t reportType);

// The items of rg_TypeOtch in fm_Gash, by index.
enum class ClearingKind { Daily = 0, General = 1 };
std::span<const std::string_view> ClearingReportItems();
// password, 0x5A (daily, the Z report) or 0x77 (general clearing); T6 40 s, delay 200 ms.
Exchange PrintClearingReportCommand(const Link& link, ClearingKind kind);
int PrintClearingReport(Link& link, ClearingKind kind);

// password, 0x60; T6 120 s, delay 200 ms.
Exchange PrintEmergencyReportCommand(const Link& link);
int PrintEmergencyReport(Link& link);

// password, 0x61, the factory number in 8 digits left-padded with '0' (4 BCD bytes);
// T6 10 s, delay 100 ms.
std::optional<Exchange> ProgramFactoryNumberCommand(const Link& link, std::string_view digits);
// 1 on success; 0 with kTextBadFormat shown when the text is no factory number.
int ProgramFactoryNumber(Link& link, std::string_view digits);

// password, 0x62, registration number (10 digits, 5 bytes), ИНН (12 digits, 6 bytes),
// the new fiscal-memory password (8 digits, 4 bytes), each left-padded with '0';
// T6 40 s, delay 100 ms.
std::optional<Exchange> FiscalizeCommand(const Link& link, std::string_view regNumber,
                                         std::string_view inn, std::string_view password);
int Fiscalize(Link& link, std::string_view regNumber, std::string_view inn,
              std::string_view password);

// password, 0x63; a short answer of up to 25 bytes; T6 10 s, delay 200 ms.
Exchange QueryRangesCommand(const Link& link);
int QueryRanges(Link& link);

// The four range texts of the "Диапазон" page: each byte shown in two digits, dates as
// [3]/[4]/[5] and [6]/[7]/[8], shift numbers as [9][10] and [11][12]: 01/07/13, 0025.
struct FmRanges {
  std::string dateFirst, dateLast;    // ed_DDateFirst, ed_DDateLast
  std::string shiftFirst, shiftLast;  // ed_DNSmFirst, ed_DNSmLast
};
// answerLength counts STX, payload, ETX and the check byte; positions past the payload
// of a short answer read as zero.
FmRanges ShowRanges(std::span<const uint8_t> answerBuffer, int answerLength);
FmRanges ShowRanges(const Link& link);

// The two kinds of the reports by dates and by shifts.
enum class ReportKind { FiscalMemory, Eklz };

struct ReportDate {
  int year = 2000;  // full year; only its last two digits are sent
  int month = 1;
  int day = 1;
};
// Day, month, year modulo 100: one BCD byte each (3 July 2013 is 03 07 13).
std::array<uint8_t, 3> EncodeReportDate(const ReportDate& date);
// A shift number of up to four digits, left-padded with '0', as two BCD bytes ("12" is
// 00 12); nullopt for an empty text, a non-digit or more than four digits.
std::optional<std::array<uint8_t, 2>> EncodeShiftNumber(std::string_view digits);

// password, 0x65 or 0xAC, type (1 full, 0 short), first date, last date; T6 120 s,
// delay 200 ms.
Exchange ReportByDatesCommand(const Link& link, ReportKind kind, bool full, const ReportDate& first,
                              const ReportDate& last);
int ReportByDates(Link& link, ReportKind kind, bool full, const ReportDate& first,
                  const ReportDate& last);
// password, 0x66 or 0xAD, type, first shift, last shift; same arguments.
std::optional<Exchange> ReportByShiftsCommand(const Link& link, ReportKind kind, bool full,
                                              std::string_view first, std::string_view last);
int ReportByShifts(Link& link, ReportKind kind, bool full, std::string_view first,
                   std::string_view last);

// digits left-padded with '0' to width; nullopt for a non-digit or more than width digits.
std::optional<std::string> PadDigits(std::string_view digits, size_t width);

}  // namespace ptk
