// Switchable faults of the virtual register: line faults (NAKs, bad check bytes, silence,
// a missing or late answer, a pause inside a frame), forced result codes and the
// printer's flags. Set from `ptk-emulator --faults SPEC` or directly by tests.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace ptk::emu {

// A count of -1 means "every time, until cleared".
inline constexpr int kEveryTime = -1;

struct TimedFault {
  uint32_t ms = 0;
  int count = 0;  // how many more times it applies; kEveryTime: always
  bool Armed() const { return count != 0; }
  // Returns the delay to apply now (0 when not armed) and uses up one count.
  uint32_t Take();
};

struct CodeFault {
  uint8_t resultCode = 0;
  int count = kEveryTime;
};

// Printer flags as the state code reports them (bit 0 no paper, bit 1 no connection with
// the printer, bit 2 cover open, bit 3 no paper roll).
inline constexpr uint8_t kPrinterNoPaper = 0x01;
inline constexpr uint8_t kPrinterNoLink = 0x02;
inline constexpr uint8_t kPrinterCoverOpen = 0x04;
inline constexpr uint8_t kPrinterNoRoll = 0x08;

struct Faults {
  int nakFrames = 0;  // NAK the next n good frames from the PC
  int badCheck = 0;   // send the next n answer frames with a wrong check byte
  int silentEnq = 0;  // ignore the next n ENQs of the PC
  int noAnswer = 0;   // execute the next n commands but do not open the answer transfer
  TimedFault delay;   // wait this long before opening the answer transfer
  TimedFault pause;   // pause this long in the middle of an answer frame
  std::map<uint8_t, CodeFault> codes;  // command code -> forced result code
  uint8_t printerFlags = 0;
  // The next reports take this long to print in all (a long report for stop tests).
  TimedFault reportTime;
  // The paper runs out after this many more report lines; -1: it does not.
  int paperOutAfterLines = -1;

  // The forced result code for a command, using up one count; false when none.
  bool TakeCode(uint8_t command, uint8_t& resultCode);
  void Clear() { *this = Faults{}; }
};

// Applies a fault list (items separated by ',' or blanks):
//   nak=N  badcheck=N  silent=N  noanswer=N
//   delay=MS[/N]  pause=MS[/N]          (without /N: every time)
//   code=CC:RR[/N]                      (hex command and result code; without /N: every time)
//   nopaper  nolink  coveropen  noroll  (printer flags)
//   reporttime=MS[/N]                   (the next N reports print for MS ms; without /N all)
//   paperout=N                          (the paper runs out after N more report lines)
//   clear                               (everything off)
// Returns false and a one-line reason in *error for a malformed item (nothing applied).
bool ApplyFaultSpec(std::string_view spec, Faults& faults, std::string* error = nullptr);

// The fault syntax as shown by `ptk-emulator --help`.
std::string_view FaultSyntaxHelp();

}  // namespace ptk::emu
