// Printing: strings (0x5E, and 0x4C inside a receipt), formatted fields (0x87), the
// receipt header (0x6C) and ending (0x73), the cut (0x75) and the sound signal (0x88).
// Text arrives in the register's characters and goes onto the tape as UTF-8.
#include <string>

#include "core/link/encoding.h"
#include "emulator/virtual_register.h"

namespace ptk::emu {

namespace {

Reply PrintString(VirtualRegister& reg, const Command& c) {
  reg.Print(FromDeviceText(c.params));
  return VirtualRegister::Ok();
}

// Format bytes: [0] 0 print, 1 check only; [3] height 0 single, 1 stretched; [5] brightness
// 0..8; [8] 0x10 double width. The text follows the 11 format bytes. A check-only field
// prints nothing.
Reply PrintField(VirtualRegister& reg, const Command& c) {
  std::span<const uint8_t> format = c.params.first(11);
  if (format[0] > 1 || format[3] > 1 || format[5] > 8 || (format[8] != 0 && format[8] != 0x10))
    return VirtualRegister::Error(0x13);  // " 13 - Неверный формат."
  if (format[0] == 1) return VirtualRegister::Ok();
  std::string line = "[поле: высота ";
  line += format[3] == 1 ? "растянутая" : "единичная";
  line += ", ширина ";
  line += format[8] == 0x10 ? "двойная" : "обычная";
  line += ", яркость " + std::to_string(format[5]) + "] ";
  line += FromDeviceText(c.params.subspan(11));
  reg.Print(std::move(line));
  return VirtualRegister::Ok();
}

Reply PrintHeader(VirtualRegister& reg, const Command&) {
  PrintReceiptHeader(reg);
  return VirtualRegister::Ok();
}

Reply PrintEnding(VirtualRegister& reg, const Command&) {
  PrintReceiptEnding(reg);
  return VirtualRegister::Ok();
}

Reply Cut(VirtualRegister& reg, const Command&) {
  reg.Print("- - - - - - - - - - отрез - - - - - - - - - -");
  return VirtualRegister::Ok();
}

// Duration (16 bits, high byte first) and count: nothing is printed.
Reply SoundSignal(VirtualRegister& reg, const Command& c) {
  reg.state().beeps += c.params[2];
  return VirtualRegister::Ok();
}

}  // namespace

void PrintReceiptHeader(VirtualRegister& reg) {
  const TableStore& tables = reg.state().tables;
  const std::vector<uint8_t> spacing = tables.Get(kHeaderSpacingField);
  for (int i = 0; i < (spacing.empty() ? 0 : spacing[0]); ++i) reg.Print("");
  for (std::string& line :
       ReceiptTextLines(tables, kHeaderFirstRow, kHeaderFirstRow + kHeaderLines - 1))
    reg.Print(std::move(line));
}

void PrintReceiptEnding(VirtualRegister& reg) {
  for (std::string& line :
       ReceiptTextLines(reg.state().tables, kFooterFirstRow, kFooterFirstRow + kFooterLines - 1))
    reg.Print(std::move(line));
}

void RegisterPrintCommands(CommandTable& table) {
  table.Add({0x5E, "print string", 0, kAnyMode, true, PrintString});
  table.Add({0x4C, "print string in a receipt", 0, kAnyMode, true, PrintString});
  table.Add({0x87, "print field", 11, kAnyMode, true, PrintField});
  table.Add({0x6C, "print header", 0, kAnyMode, true, PrintHeader});
  table.Add({0x73, "print ending", 0, kAnyMode, true, PrintEnding});
  table.Add({0x75, "cut", 1, kAnyMode, true, Cut});
  table.Add({0x88, "sound signal", 3, kAnyMode, false, SoundSignal});
}

}  // namespace ptk::emu
