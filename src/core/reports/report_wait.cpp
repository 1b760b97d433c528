#include "core/reports/report_wait.h"

#include "core/reports/device_state.h"
#include "core/shell/modes.h"

namespace ptk {
namespace {

// One poll: the pause, the state code, its decoding. False when the exchange failed (it
// has shown why).
bool Poll(Link& link) {
  link.port().clock().Sleep(kReportPollMs);
  if (QueryStateCode(link) != kExchangeOk) return false;
  DecodeStateCode(link);
  return true;
}

// The register is back in a mode other than the printing one: why.
ReportEnd Ending(UserInterface& ui, uint8_t restingMode) {
  const StateCode& s = LastStateCode;
  if (s.mode != restingMode) {
    ShowError(ui, kTextReportBroken);
    return ReportEnd::OtherMode;
  }
  // The first flag set, in this order, is the one reported.
  struct Flag {
    uint8_t set;
    std::string_view text;
    ReportEnd end;
  };
  const Flag flags[] = {{s.noPaper, kTextReportNoPaper, ReportEnd::NoPaper},
                        {s.noPrinterLink, kTextReportNoPrinterLink, ReportEnd::NoPrinterLink},
                        {s.coverOpen, kTextReportCoverOpen, ReportEnd::CoverOpen},
                        {s.noRoll, kTextReportNoRoll, ReportEnd::NoRoll}};
  for (const Flag& f : flags) {
    if (f.set != 0) {
      ShowError(ui, f.text);
      return f.end;
    }
  }
  return ReportEnd::Finished;
}

ReportEnd WaitAfter(int status, Link& link, UserAbort& abort, uint8_t printingMode,
                    uint8_t restingMode, const std::function<void()>& disableStop) {
  if (status != kExchangeOk) return ReportEnd::CommandFailed;
  return WaitReportEnd(link, abort, printingMode, restingMode, disableStop);
}

uint8_t PrintingMode(ReportKind kind) {
  return kind == ReportKind::Eklz ? kEklzPrintingMode : kFmPrintingMode;
}

uint8_t RestingMode(ReportKind kind) {
  return kind == ReportKind::Eklz ? kEklzRestingMode : kFmRestingMode;
}

}  // namespace

bool StillPrinting(uint8_t mode, uint8_t printingMode) {
  if (mode == printingMode) return true;
  return printingMode == kEklzPrintingMode && mode == kEklzReportMode;
}

ReportEnd WaitReportEnd(Link& link, UserAbort& abort, uint8_t printingMode, uint8_t restingMode,
                        const std::function<void()>& disableStop) {
  UserInterface& ui = link.ui();
  // The register is taken as printing until a poll says otherwise.
  LastStateCode.mode = printingMode;
  while (StillPrinting(LastStateCode.mode, printingMode)) {
    const StopCheck check = TestUserAbort(abort, ui);
    if (check == StopCheck::Quit) return ReportEnd::Quit;
    if (check == StopCheck::Stop) {
      // One more look: a report that ended meanwhile needs no stopping.
      if (!Poll(link)) return ReportEnd::PollFailed;
      if (!StillPrinting(LastStateCode.mode, printingMode)) return ReportEnd::StoppedAfterEnd;
      if (disableStop) disableStop();
      if (ExitMode(link) != kExchangeOk) return ReportEnd::StopNotAccepted;
      ShowInfo(ui, kTextUserAbort);
      return ReportEnd::Stopped;
    }
    if (!Poll(link)) return ReportEnd::PollFailed;
  }
  return Ending(ui, restingMode);
}

ReportEnd RunEmergencyReport(Link& link, UserAbort& abort,
                             const std::function<void()>& disableStop) {
  abort.stopRequested = false;
  return WaitAfter(PrintEmergencyReport(link), link, abort, kFmPrintingMode, kFmRestingMode,
                   disableStop);
}

ReportEnd RunReportByDates(Link& link, UserAbort& abort, ReportKind kind, bool full,
                           const ReportDate& first, const ReportDate& last,
                           const std::function<void()>& disableStop) {
  abort.stopRequested = false;
  return WaitAfter(ReportByDates(link, kind, full, first, last), link, abort, PrintingMode(kind),
                   RestingMode(kind), disableStop);
}

ReportEnd RunReportByShifts(Link& link, UserAbort& abort, ReportKind kind, bool full,
                            std::string_view first, std::string_view last,
                            const std::function<void()>& disableStop) {
  abort.stopRequested = false;
  return WaitAfter(ReportByShifts(link, kind, full, first, last), link, abort, PrintingMode(kind),
                   RestingMode(kind), disableStop);
}

}  // namespace ptk
