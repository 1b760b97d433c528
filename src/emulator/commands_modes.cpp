// Modes: leaving the current mode (0x52) and entering one with its password (0x56).
//
// Passwords (table 3, field 1, 8 digits packed in 4 bytes): mode 1 accepts any user
// (cashiers 1..28, the administrator 29, the system administrator 30); modes 2 and 3
// the administrator or the system administrator; modes 4 and 6 the system administrator;
// mode 5 the fiscal-memory password.
#include "core/link/encoding.h"
#include "emulator/virtual_register.h"

namespace ptk::emu {

namespace {

// Leaving the mode also ends a report that is still printing.
Reply ExitMode(VirtualRegister& reg, const Command&) {
  reg.StopReport();
  RegisterState& s = reg.state();
  s.mode = 0;
  s.submode = 0;
  return VirtualRegister::Ok();
}

// The user row whose password the four bytes are, among rows first..last; 0 if none.
int MatchUser(const VirtualRegister& reg, std::span<const uint8_t> password, int first, int last) {
  for (int row = first; row <= last; ++row) {
    std::vector<uint8_t> stored =
        reg.state().tables.Get({kUsersTable, static_cast<uint16_t>(row), kUserPasswordField});
    if (stored.size() == 4 && std::equal(stored.begin(), stored.end(), password.begin()))
      return row;
  }
  return 0;
}

Reply EnterMode(VirtualRegister& reg, const Command& c) {
  RegisterState& s = reg.state();
  int mode = c.params[0];
  std::span<const uint8_t> password = c.params.subspan(1, 4);
  if (mode < 1 || mode > 6) return VirtualRegister::Error(rc::kEntryBlocked);
  // Another mode must be left first; entering the current mode again is allowed.
  if (s.mode != 0 && s.mode != mode) return VirtualRegister::Error(rc::kWrongMode);
  int row = 0;
  switch (mode) {
    case 1:
      row = MatchUser(reg, password, 1, kSystemAdministratorRow);
      break;
    case 2:
    case 3:
      row = MatchUser(reg, password, kAdministratorRow, kSystemAdministratorRow);
      break;
    case 4:
    case 6:
      row = MatchUser(reg, password, kSystemAdministratorRow, kSystemAdministratorRow);
      break;
    case 5: {
      std::vector<uint8_t> fm = PackBcd(s.fiscalMemoryPassword);
      if (fm.size() == 4 && std::equal(fm.begin(), fm.end(), password.begin())) row = -1;
      break;
    }
  }
  if (row == 0) return VirtualRegister::Error(rc::kWrongPassword);
  s.mode = static_cast<uint8_t>(mode);
  s.submode = 0;
  if (row > 0) s.cashier = static_cast<uint8_t>(row);
  return VirtualRegister::Ok();
}

}  // namespace

void RegisterModeCommands(CommandTable& table) {
  table.Add({.code = 0x52, .name = "exit mode", .handler = ExitMode, .whilePrinting = true});
  table.Add({0x56, "enter mode", 5, kAnyMode, false, EnterMode});
}

}  // namespace ptk::emu
