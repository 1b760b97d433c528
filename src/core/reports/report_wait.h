// The wait that follows a long report: the state code is polled every 100 ms while the
// register still prints, the person may stop the report, and at the end the program says
// why the register left its printing mode. Also the report actions of the windows that
// wait: the emergency fiscal-memory report and the reports by dates and by shifts.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/link/frame_exchange.h"
#include "core/reports/report_commands.h"
#include "core/shell/user_abort.h"

namespace ptk {

// The mode bytes of the waits: the fiscal-memory reports print in 0x25 and rest in 0x05,
// the ЭКЛЗ reports print in 0x26 and rest in 0x06. A register shows its ЭКЛЗ printing a
// report as 0x16 (the mode table's "печать отчета" of the ЭКЛЗ mode): a wait for 0x26
// takes 0x16 as printing too, or every ЭКЛЗ report would end at once as broken off.
inline constexpr uint8_t kFmPrintingMode = 0x25;
inline constexpr uint8_t kFmRestingMode = 0x05;
inline constexpr uint8_t kEklzPrintingMode = 0x26;
inline constexpr uint8_t kEklzRestingMode = 0x06;
inline constexpr uint8_t kEklzReportMode = 0x16;

// Whether a polled mode byte counts as the printing mode of a wait.
bool StillPrinting(uint8_t mode, uint8_t printingMode);

// The pause before every state-code poll of the wait.
inline constexpr uint32_t kReportPollMs = 100;

// Why the register left its printing mode, in the order they are looked at (caption
// "Ошибка"); kTextReportBroken when it went to a mode other than the resting one.
inline constexpr std::string_view kTextReportNoPaper = "Нет бумаги!";
inline constexpr std::string_view kTextReportNoPrinterLink = "Нет связи с принтером!";
inline constexpr std::string_view kTextReportCoverOpen = "Открыта крышка ПУ!";
inline constexpr std::string_view kTextReportNoRoll = "Нет рулона!";
inline constexpr std::string_view kTextReportBroken = "Снятие отчета прервалось!";
// When the stop was seen while the register still printed and ExitMode succeeded
// (caption "Информация"): kTextUserAbort, "Прервано пользователем!".

enum class ReportEnd {
  CommandFailed,  // the report command failed (shown by the exchange); no wait
  Finished,       // back in the resting mode with no printer flag: no message
  NoPaper,        // back in the resting mode with that flag: its message
  NoPrinterLink,
  CoverOpen,
  NoRoll,
  OtherMode,        // left for another mode: kTextReportBroken
  Stopped,          // stopped while printing: ExitMode sent and succeeded, kTextUserAbort
  StopNotAccepted,  // stopped while printing: ExitMode failed (shown by the exchange)
  StoppedAfterEnd,  // the stop came when the report had ended: nothing sent, no message
  PollFailed,       // a state-code exchange failed (shown by the exchange)
  Quit,             // the application is quitting: the wait ends silently
};

// Polls while the register still prints (StillPrinting): before each poll the stop
// check processes the pending window messages and tests abort.stopRequested, then the
// wait pauses 100 ms on the link's clock and sends one QueryStateCode, decoded into
// LastStateCode. A stop sends one more poll after its pause; if the register still
// prints, disableStop runs and ExitMode ends the report. No limit on the polls: the wait
// ends when the mode changes, a poll fails or the person stops it. Shows its messages
// itself; the result says which ending it was.
ReportEnd WaitReportEnd(Link& link, UserAbort& abort, uint8_t printingMode, uint8_t restingMode,
                        const std::function<void()>& disableStop = {});

// The window actions that send a report and wait for it (fiscal-memory kind: 0x25/0x05,
// ЭКЛЗ kind: 0x26/0x06). Each clears abort.stopRequested first; a failed command gives
// CommandFailed and no wait. The caller shows its busy state around the call and clears
// stopRequested again after it.
ReportEnd RunEmergencyReport(Link& link, UserAbort& abort,
                             const std::function<void()>& disableStop = {});
ReportEnd RunReportByDates(Link& link, UserAbort& abort, ReportKind kind, bool full,
                           const ReportDate& first, const ReportDate& last,
                           const std::function<void()>& disableStop = {});
// The shift numbers as typed (the window has checked them with ShiftRangeEntered).
ReportEnd RunReportByShifts(Link& link, UserAbort& abort, ReportKind kind, bool full,
                            std::string_view first, std::string_view last,
                            const std::function<void()>& disableStop = {});

}  // namespace ptk
