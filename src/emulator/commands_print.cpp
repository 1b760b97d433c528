// Printing: strings (0x5E, and 0x4C inside a receipt), formatted fields (0x87), the
// receipt header (0x6C) and ending (0x73), the cut (0x75) and the sound signal (0x88,
// noted on the tape between brackets, as it leaves no print).
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

// Kind 0 a full cut, 1 a partial one (the paper stays joined at one point).
Reply Cut(VirtualRegister& reg, const Command& c) {
  const uint8_t kind = c.params[0];
  if (kind > 1) return VirtualRegister::Error(0x13);  // " 13 - Неверный формат."
  reg.Print(kind == 0 ? "- - - - - - - - - - отрез - - - - - - - - - -"
                      : "- - - - - - - - неполный отрез - - - - - - - -");
  return VirtualRegister::Ok();
}

// Duration (16 bits, high byte first, in the register's units) and count. Nothing is
// printed; the signal is noted on the tape so that it can be followed there.
Reply SoundSignal(VirtualRegister& reg, const Command& c) {
  const int duration = c.params[0] << 8 | c.params[1];
  const int count = c.params[2];
  reg.state().beeps += static_cast<uint64_t>(count);
  reg.Print("[звуковой сигнал: длительность " + std::to_string(duration) + ", количество " +
            std::to_string(count) + "]");
  return VirtualRegister::Ok();
}

}  // namespace

void PrintReceiptHeader(VirtualRegister& reg) {
  const TableStore& tables = reg.state().tables;
  const std::vector<uint8_t> spacing = tables.Get(kHeaderSpacingField);
  for (int i = 0; i < (spacing.empty() ? 0 : spacing[0]); ++i) reg.Print("");
  PrintReceiptTextRows(reg, kHeaderFirstRow, kHeaderFirstRow + kHeaderLines - 1);
}

void PrintReceiptEnding(VirtualRegister& reg) {
  PrintReceiptTextRows(reg, kFooterFirstRow, kFooterFirstRow + kFooterLines - 1);
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
