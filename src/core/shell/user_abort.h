// The stop test that long operations run between their commands: window messages are
// processed (so that a press of "Прервать" is seen), then the stop flag is tested.
#pragma once

#include <functional>
#include <string_view>

#include "core/shell/user_interface.h"

namespace ptk {

// The long operation that runs, as the stop test needs to know it.
enum class RunningOperation : int {
  Firmware = 0,      // firmware comparison and firmware reading
  RegisterRead = 1,  // reading the registers
  TablesRead = 2,    // reading all tables
};

inline constexpr std::string_view kTextUserAbort = "Прервано пользователем!";

// Program-wide: one instance, held by the window layer. Each long operation sets
// `running` and clears `stopRequested` when it starts; the "Прервать" buttons set
// `stopRequested`; nothing here clears it.
struct UserAbort {
  bool stopRequested = false;
  RunningOperation running = RunningOperation::Firmware;
  // Run when a stop is seen during the firmware comparison: closes its files and the
  // process window and enables the comparison window again.
  std::function<void()> onFirmwareStop;
};

// What the stop test found.
enum class StopCheck { Go, Stop, Quit };

// The stop test without its message: processes the pending window messages first, every
// time, then looks at stopRequested. Quit once the application is quitting.
StopCheck TestUserAbort(const UserAbort& abort, UserInterface& ui);

// 1 when the person asked to stop, else 0. Processes the pending window messages first,
// every time; then, with stopRequested set, shows "Прервано пользователем!" (caption
// "Информация") and returns 1. An application that is quitting stops too, silently.
int CheckUserAbort(UserAbort& abort, UserInterface& ui);

}  // namespace ptk
