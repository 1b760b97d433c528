#include "core/shell/user_interface.h"

namespace ptk {

void ShowError(UserInterface& ui, std::string_view text) {
  ui.ShowBox(kCaptionError, text, Icon::Error);
}

void ShowInfo(UserInterface& ui, std::string_view text) {
  ui.ShowBox(kCaptionInfo, text, Icon::Information);
}

bool AskYesNo(UserInterface& ui, std::string_view text) {
  return ui.ShowBox(kCaptionQuestion, text, Icon::Question, Buttons::YesNo) == Answer::Yes;
}

}  // namespace ptk
