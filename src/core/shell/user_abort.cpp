#include "core/shell/user_abort.h"

namespace ptk {

StopCheck TestUserAbort(const UserAbort& abort, UserInterface& ui) {
  // A press of "Прервать" is a window message: it must be handled before the flag is
  // looked at, or a press made between two commands would go unseen.
  if (!ui.PumpMessages()) return StopCheck::Quit;
  return abort.stopRequested ? StopCheck::Stop : StopCheck::Go;
}

int CheckUserAbort(UserAbort& abort, UserInterface& ui) {
  const StopCheck check = TestUserAbort(abort, ui);
  if (check == StopCheck::Quit) return 1;
  if (check == StopCheck::Go) return 0;
  ShowInfo(ui, kTextUserAbort);
  if (abort.running == RunningOperation::Firmware && abort.onFirmwareStop) abort.onFirmwareStop();
  return 1;
}

}  // namespace ptk
