#include "core/eklz/eklz_commands.h"

#include <vector>

#include "core/link/encoding.h"
#include "core/receipts/money.h"
#include "core/reports/report_dialogues.h"
#include "core/shell/modes.h"

namespace ptk {
namespace {

constexpr uint32_t kEklzDelayMs = 200;
constexpr Timeouts kT6Short{500, 500, 2000, 500, 500, 20000, 500};
constexpr Timeouts kT6Long{500, 500, 2000, 500, 500, 120000, 500};

Exchange Command(std::vector<uint8_t> frame, const Timeouts& t) {
  Exchange c;
  c.frame = std::move(frame);
  c.timeouts = t;
  c.delayMs = kEklzDelayMs;
  return c;
}

}  // namespace

std::string_view EklzQuestion(EklzOperation operation) {
  switch (operation) {
    case EklzOperation::ActivationTotals:
      return kAskEklzActivationTotals;
    case EklzOperation::CloseArchive:
      return kAskEklzCloseArchive;
    case EklzOperation::Activate:
      break;
  }
  return kAskEklzActivate;
}

Exchange EklzOperationCommand(const Link& link, EklzOperation operation) {
  switch (operation) {
    case EklzOperation::ActivationTotals:
      return Command(link.CommandFrame(kCmdEklzActivationTotals), kT6Long);
    case EklzOperation::CloseArchive:
      return Command(link.CommandFrame(kCmdEklzCloseArchive), kT6Short);
    case EklzOperation::Activate:
      break;
  }
  return Command(link.CommandFrame(kCmdEklzActivate), kT6Short);
}

int RunEklzOperation(Link& link, EklzOperation operation) {
  return link.Run(EklzOperationCommand(link, operation));
}

int EklzOperationClick(Link& link, EklzOperation operation,
                       const std::function<void(bool busy)>& busy) {
  if (!AskYesNo(link.ui(), EklzQuestion(operation))) return kEklzDeclined;
  link.ui().SetResult("");
  if (busy) busy(true);
  const int status = RunEklzOperation(link, operation);
  if (busy) busy(false);
  return status;
}

std::optional<Exchange> EklzQueryCommand(const Link& link, EklzQuery query,
                                         std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  const bool document = query == EklzQuery::Document;
  const std::optional<std::string> padded =
      PadDigits(digits, document ? kKpkDigits : kShiftNumberDigits);
  if (!padded) return std::nullopt;
  const uint8_t code = document                          ? kCmdEklzDocument
                       : query == EklzQuery::ShiftTotals ? kCmdEklzShiftTotals
                                                         : kCmdEklzShiftTape;
  return Command(link.CommandFrame(code, PackBcd(*padded)), kT6Long);
}

int SendEklzQuery(Link& link, EklzQuery query, std::string_view digits) {
  const std::optional<Exchange> command = EklzQueryCommand(link, query, digits);
  if (!command) {
    ShowError(link.ui(), kTextBadFormat);
    return 0;
  }
  return link.Run(*command);
}

bool EklzQueryEntered(UserInterface& ui, EklzQuery query, std::string_view text) {
  if (!TrimText(text).empty()) return true;
  ShowError(ui, query == EklzQuery::Document ? kTextEnterKpk : kTextEnterShiftNumber);
  return false;
}

ReportEnd RunEklzQuery(Link& link, UserAbort& abort, EklzQuery query, std::string_view text,
                       const std::function<void()>& disableStop) {
  abort.stopRequested = false;
  if (SendEklzQuery(link, query, TrimText(text)) != kExchangeOk) return ReportEnd::CommandFailed;
  return WaitReportEnd(link, abort, kEklzPrintingMode, kEklzRestingMode, disableStop);
}

int ExitEklzMode(Link& link) {
  const int status = ExitMode(link);
  if (status != kExchangeOk) return status;
  return ExitMode(link);
}

}  // namespace ptk
