// The parts of the report windows that need no window toolkit: the input checks with
// their messages, the fiscalisation dialogue of fm_FiskPam, and leaving the modes with
// the messages fm_Gash shows.
#pragma once

#include <string>
#include <string_view>

#include "core/link/frame_exchange.h"
#include "core/shell/user_interface.h"

namespace ptk {

// fm_Gash, closing by its button.
inline constexpr std::string_view kTextExitedToChoice =
    "Успешно вышли из текущего режима и \nвернулись в состояние <<Выбор>>.";
inline constexpr std::string_view kTextExitToChoiceFailed =
    "Не так уж и успешно вышли из текущего режима и \nвернулись в состояние <<Выбор>>.";

// fm_FiskPam.
inline constexpr std::string_view kAskProgramFactoryNumber = "Запрограммировать данный номер ПТК ?";
inline constexpr std::string_view kTextEnterFactoryNumber = "Введите заводской номер ПТК.";
inline constexpr std::string_view kAskFiscalize =
    "Провести регистрацию ПТК \nс данным набором реквизитов ?";
inline constexpr std::string_view kTextEnterRegNumber = "Введите регистрационный номер ПТК.";
inline constexpr std::string_view kTextEnterInn = "Введите ИНН.";
inline constexpr std::string_view kTextEnterFmPassword = "Введите новый пароль доступа к ФП.";
inline constexpr std::string_view kTextFmPasswordLength =
    "Пароль доступа к ФП должен быть 8 знаков.";
inline constexpr std::string_view kTextRepeatFmPassword =
    "ВНИМАНИЕ!!! Проверьте правильность ввода реквизитов и \nи повторите ввод пароля";
inline constexpr std::string_view kCaptionMessage = " Сообщение";  // with its leading blank
inline constexpr std::string_view kTextFmPasswordMismatch = "Неверный повтор пароля!";
inline constexpr std::string_view kTextEnterShiftRange = "Введите диапазон номеров смен ПТК.";

// Blanks and tabs cut from both ends.
std::string TrimText(std::string_view text);

// fm_Gash's close button: ExitMode, then "Информация" with kTextExitedToChoice when it
// succeeded or kTextExitToChoiceFailed when not. Returns the ExitMode result.
int ExitModeWithMessage(Link& link);

// fm_FiskPam's close: ExitMode and, when it succeeded, ExitMode once more. Returns the
// result of the last one sent.
int ExitFiscalMemoryMode(Link& link);

// bt_ZavNumOkClick before anything is sent: the question (anything but Yes ends it), then
// the empty check with kTextEnterFactoryNumber. True with `digits` set to the trimmed
// number when the command may go.
bool ConfirmFactoryNumber(UserInterface& ui, std::string_view fieldText, std::string& digits);

// bt_OtchOkClick on the shift page: kTextEnterShiftRange when either trimmed number is
// empty; true when both are there.
bool ShiftRangeEntered(UserInterface& ui, std::string_view first, std::string_view last);

// The texts of fm_FiskPam's requisite fields, read before a click and written back after
// it (the registration number and the ИНН come back padded, the password field emptied
// when the dialogue asks for it again).
struct FiscalFields {
  std::string regNumber;  // ed_RegNum
  std::string inn;        // ed_INN
  std::string password;   // ed_PassNew
};

enum class FiscalClick {
  InputError,        // a message about a field; nothing changed
  PasswordAsked,     // step 1 -> 2: the password is kept and asked again
  PasswordMismatch,  // the repetition differed: back to step 1
  Declined,          // the final question answered No: back to step 1
  Confirmed,         // the final question answered Yes: back to step 1; send Fiscalize now
};

// The three-step dialogue of bt_RegistrClick: 1 requisites not yet confirmed, 2 waiting
// for the password again, 3 confirmed. Reset to step 1 by the main menu each time the
// fiscal-memory mode is entered.
class FiscalizationDialogue {
 public:
  int step() const { return step_; }
  void Reset() {
    step_ = 1;
    keptPassword_.clear();
  }

  // One click: checks the fields, asks and tells through ui, moves the step. On
  // Confirmed the caller shows its busy state and runs Fiscalize with the fields.
  FiscalClick Click(UserInterface& ui, FiscalFields& fields);

 private:
  int step_ = 1;
  std::string keptPassword_;
};

}  // namespace ptk
