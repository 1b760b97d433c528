#include "core/reports/report_dialogues.h"

#include "core/link/encoding.h"
#include "core/shell/modes.h"

namespace ptk {
namespace {

constexpr size_t kPaddedRequisite = 10;  // registration number and ИНН in the fields
constexpr size_t kFmPasswordLength = 8;

std::string LeftPadded(const std::string& text, size_t width) {
  const size_t n = CodePoints(text);
  return n >= width ? text : std::string(width - n, '0') + text;
}

}  // namespace

std::string TrimText(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

int ExitModeWithMessage(Link& link) {
  const int status = ExitMode(link);
  ShowInfo(link.ui(), status == kExchangeOk ? kTextExitedToChoice : kTextExitToChoiceFailed);
  return status;
}

int ExitFiscalMemoryMode(Link& link) {
  const int status = ExitMode(link);
  if (status != kExchangeOk) return status;
  return ExitMode(link);
}

bool ConfirmFactoryNumber(UserInterface& ui, std::string_view fieldText, std::string& digits) {
  if (!AskYesNo(ui, kAskProgramFactoryNumber)) return false;
  digits = TrimText(fieldText);
  if (digits.empty()) {
    ShowError(ui, kTextEnterFactoryNumber);
    return false;
  }
  return true;
}

bool ShiftRangeEntered(UserInterface& ui, std::string_view first, std::string_view last) {
  if (!TrimText(first).empty() && !TrimText(last).empty()) return true;
  ShowError(ui, kTextEnterShiftRange);
  return false;
}

FiscalClick FiscalizationDialogue::Click(UserInterface& ui, FiscalFields& fields) {
  if (step_ != 3) {
    const std::string regNumber = TrimText(fields.regNumber);
    if (regNumber.empty()) {
      ShowError(ui, kTextEnterRegNumber);
      return FiscalClick::InputError;
    }
    fields.regNumber = LeftPadded(regNumber, kPaddedRequisite);
    const std::string inn = TrimText(fields.inn);
    if (inn.empty()) {
      ShowError(ui, kTextEnterInn);
      return FiscalClick::InputError;
    }
    fields.inn = LeftPadded(inn, kPaddedRequisite);
    const std::string password = TrimText(fields.password);
    if (password.empty()) {
      ShowError(ui, kTextEnterFmPassword);
      return FiscalClick::InputError;
    }
    if (CodePoints(password) != kFmPasswordLength) {
      ShowError(ui, kTextFmPasswordLength);
      return FiscalClick::InputError;
    }
    if (step_ == 1) {
      ui.ShowBox(kCaptionMessage, kTextRepeatFmPassword, Icon::Warning, Buttons::Ok);
      keptPassword_ = password;
      fields.password.clear();
      step_ = 2;
      return FiscalClick::PasswordAsked;
    }
    if (password != keptPassword_) {
      ShowError(ui, kTextFmPasswordMismatch);
      fields.password.clear();
      Reset();
      return FiscalClick::PasswordMismatch;
    }
    fields.password = password;
    step_ = 3;
  }
  // Step 3: the final question; whatever the answer, the dialogue starts again.
  const bool yes = AskYesNo(ui, kAskFiscalize);
  Reset();
  return yes ? FiscalClick::Confirmed : FiscalClick::Declined;
}

}  // namespace ptk
