// The virtual register: a consistent register state (modes, passwords, tables, clock,
// shift and receipt, printer) and one handler per command, registered in a table.
//
// Every command payload is password (2 BCD bytes), code, parameters. The dispatcher
// checks, in order: the communication password (table 2, row 1, field 23; 0x8C on a
// mismatch), a forced result code from the faults, whether the command is known (0x7A
// "Данная модель ПТК не может выполнить команду." otherwise), the parameter length
// (0x14), the mode (0x66) and, for printing commands, the printer (0x67 no paper or no
// roll, 0x68 no printer link, 0x69 cover open). Then the handler runs.
//
// Answers: marker 'U' (0x55), result code, data; the command table records the commands
// whose answers differ (CommandSpec::answer). Error answers are three bytes (marker, code,
// 0), so that commands read with an exact answer length of 6 get them whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/link/clock.h"
#include "core/link/encoding.h"
#include "core/link/result_codes.h"
#include "emulator/faults.h"
#include "emulator/paper_tape.h"
#include "emulator/protocol_engine.h"
#include "emulator/register_state.h"

namespace ptk::emu {

inline constexpr uint8_t kAnswerMarker = 0x55;       // 'U'
inline constexpr uint8_t kStateAnswerMarker = 0x44;  // 'D', first byte of the 0x3F answer

// The model the register reports when none is chosen: the third known model code.
uint16_t DefaultModelCode();

// A calendar date and time of the register's clock.
struct DateTime {
  int year = 2000, month = 1, day = 1;  // full year
  int hour = 0, minute = 0, second = 0;
  bool operator==(const DateTime&) const = default;
};
bool ValidDate(int year, int month, int day);
int64_t ToSeconds(const DateTime& t);  // seconds since 1970-01-01 00:00:00 (no time zone)
DateTime FromSeconds(int64_t seconds);

// The firmware images the register hands out (0x9C, 0x84): of the control block (source
// 1) and of the fiscal-memory block (source 2), each of a set size, with a fixed
// pseudo-random content (FirmwareImageByte), and the transfer in progress.
inline constexpr uint32_t kDefaultPtkFirmwareSize = 65536;
inline constexpr uint32_t kDefaultFpFirmwareSize = 2048;
inline constexpr uint32_t kMaxFirmwareSize = 0xFFFFFF;  // three bytes in the start answer
inline constexpr size_t kPtkFirmwareBlockBytes = 250;
inline constexpr size_t kFpFirmwareBlockBytes = 28;
struct FirmwareImages {
  uint32_t ptkSize = kDefaultPtkFirmwareSize;
  uint32_t fpSize = kDefaultFpFirmwareSize;
  uint8_t source = 0;     // the transfer in progress: 1 or 2; 0 none
  uint32_t position = 0;  // the next byte to hand out
  uint32_t Size(uint8_t src) const { return src == 2 ? fpSize : ptkSize; }
};
// Byte i of a firmware image: the low byte of the 32-bit finaliser of MurmurHash3 applied
// to seed XOR (i × 0x9E3779B1), with the seed 0x50544B31 for the control block and
// 0x46500031 for the fiscal-memory block.
uint8_t FirmwareImageByte(uint8_t source, uint32_t i);
// A whole image (tests and the README's reference files).
std::vector<uint8_t> FirmwareImage(uint8_t source, uint32_t size);

class VirtualRegister;

struct Command {
  uint8_t code = 0;
  std::span<const uint8_t> params;
  uint32_t now = 0;  // tick of the register's clock
};

using CommandHandler = Reply (*)(VirtualRegister& reg, const Command& command);

// Bit m set: the command is accepted in mode m.
inline constexpr uint16_t kAnyMode = 0xFFFF;
constexpr uint16_t Modes(std::initializer_list<int> modes) {
  uint16_t mask = 0;
  for (int m : modes) mask = static_cast<uint16_t>(mask | (1u << m));
  return mask;
}

// Where an answer carries its result code: where an error answer puts it, and which byte
// a forced result code (the faults) replaces.
enum class AnswerShape : uint8_t {
  Standard,     // marker 'U', result code, data: nearly every command
  ResultFirst,  // the device type (0xA5): the result code first; an error repeats it second
  Fixed,        // answers a forced code leaves alone: the device state (0x3F, 'D' first),
                // the state code (0x45), the cash in drawer (0x4D, only the amount)
};

struct CommandSpec {
  uint8_t code = 0;
  const char* name = "";
  size_t minParams = 0;
  uint16_t modes = kAnyMode;
  bool prints = false;  // refused while the printer cannot print
  CommandHandler handler = nullptr;
  bool picturesOnly = false;  // only models with pictures have it (0x7A on the others)
  // Answered while a report prints (the queries, and ExitMode, which ends the report);
  // every other command is refused with 0x66 until the report is out.
  bool whilePrinting = false;
  AnswerShape answer = AnswerShape::Standard;
};

class CommandTable {
 public:
  void Add(const CommandSpec& spec) { specs_[spec.code] = spec; }
  const CommandSpec* Find(uint8_t code) const {
    return specs_[code].handler ? &specs_[code] : nullptr;
  }

 private:
  CommandSpec specs_[256]{};
};

class VirtualRegister final : public CommandExecutor {
 public:
  // model 0: DefaultModelCode().
  explicit VirtualRegister(Clock& clock = SystemClock(), uint16_t model = 0);

  Reply Execute(std::span<const uint8_t> payload) override;

  RegisterState& state() { return state_; }
  const RegisterState& state() const { return state_; }
  Faults& faults() { return faults_; }
  PaperTape& tape() { return tape_; }
  FirmwareImages& firmware() { return firmware_; }
  const CommandTable& commands() const { return commands_; }
  Clock& clock() { return *clock_; }

  // The host's local time in seconds since 1970 (no time zone); replaceable by tests.
  void SetHostTime(std::function<int64_t()> hostTime) { hostTime_ = std::move(hostTime); }
  DateTime Now() const;
  void SetNow(const DateTime& t);

  // Power-on defaults for everything but the model (tables included).
  void Reset();

  // The printer's state code flags (the faults' flags).
  uint8_t PrinterFlags() const { return faults_.printerFlags; }
  // Why the printer cannot print now (0x68, 0x67, 0x69), or 0 when it can.
  uint8_t PrinterRefusal() const;
  bool DrawerOpen(uint32_t now) const;
  void OpenDrawer(uint32_t now);

  // The communication password, as table 2 row 1 field 23 holds it (2 BCD bytes).
  std::vector<uint8_t> CommPassword() const { return state_.tables.Get(kCommPasswordField); }

  // Prints a line on the tape (UTF-8).
  void Print(std::string line) { tape_.Print(std::move(line)); }

  // Reports print line by line, one every ReportLineMs() (the fault reporttime spreads a
  // report over a given time instead), while the register shows the printing submode of
  // its mode; when the last line is out it waits for a command again (submode 0). The
  // paper running out mid-report (fault paperout) ends the report with the no-paper flag
  // set; ExitMode ends it too. Lines come out as the register's clock passes: every
  // command first brings the printing up to date.
  void StartReport(std::vector<std::string> lines, uint32_t now, uint8_t submode = kReportSubmode);
  void AdvanceReport(uint32_t now);
  // Ends the report at once: the lines not yet printed are lost.
  void StopReport();
  bool ReportPrinting() const { return job_.active; }
  // Milliseconds until the next report line is due; nullopt when no report prints.
  std::optional<uint32_t> NextReportLineIn(uint32_t now) const;
  void SetReportLineMs(uint32_t ms) { reportLineMs_ = ms; }
  uint32_t ReportLineMs() const { return reportLineMs_; }

  static constexpr uint32_t kDefaultReportLineMs = 15;  // a fast thermal printer

  // Answers.
  static Reply Ok(std::initializer_list<uint8_t> data = {0x00});
  static Reply Ok(std::vector<uint8_t> data);
  static Reply Error(uint8_t code, AnswerShape shape = AnswerShape::Standard);

 private:
  Clock* clock_;
  std::function<int64_t()> hostTime_;
  RegisterState state_;
  Faults faults_;
  PaperTape tape_;
  CommandTable commands_;
  FirmwareImages firmware_;
  uint32_t drawerOpenUntil_ = 0;
  bool drawerOpen_ = false;

  struct ReportJob {
    bool active = false;
    std::vector<std::string> lines;
    size_t next = 0;
    uint32_t start = 0;
    uint32_t durationMs = 0;  // the last line is due at start + durationMs
    uint32_t DueOffset(size_t i) const;
  };
  ReportJob job_;
  uint32_t reportLineMs_ = kDefaultReportLineMs;
};

// The handler groups; each registers its commands next to the state they use.
void RegisterStateCommands(CommandTable& table);    // 0x3F 0x45 0xA5 0x9D
void RegisterModeCommands(CommandTable& table);     // 0x52 0x56
void RegisterServiceCommands(CommandTable& table);  // 0x47 0x80 0x82 0x6B 0x71 0x59 0x64 0x4B
void RegisterPrintCommands(CommandTable& table);    // 0x6C 0x73 0x5E 0x4C 0x87 0x75 0x88
// 0x9A 0x92 0x48 0x51 0x4E 0x57 0x41 0x43 0x78 0x53 0x99 0x9B 0x4A
void RegisterReceiptCommands(CommandTable& table);
void RegisterCashCommands(CommandTable& table);   // 0x49 0x4F 0x4D 0x58
void RegisterExtraCommands(CommandTable& table);  // 0x5F 0xBF (attribute or card data) 0xC2
void RegisterTableCommands(CommandTable& table);  // 0x46 0x50
// Reports: 0x67 0x5A 0x77 0x60; the fiscal memory: 0x61 0x62 0x63 0x65 0x66.
void RegisterReportCommands(CommandTable& table);
void RegisterFiscalCommands(CommandTable& table);
// The ЭКЛЗ: 0xA6 0xA7 0xA8 0xA9 0xAA 0xAB 0xAC 0xAD in mode 6, its state 0xAE in any mode.
void RegisterEklzCommands(CommandTable& table);

// 0x91, the register read.
void RegisterRegisterCommands(CommandTable& table);
// Pictures: 0x8C 0x8A 0x8B 0x9E 0x9F 0x86 0x8D (models with pictures), 0x8E (every model).
void RegisterPictureCommands(CommandTable& table);
// The firmware transfer: 0x9C 0x84.
void RegisterFirmwareCommands(CommandTable& table);

// Prints picture lines on the tape at an offset in the model's units (8 dots on the third
// model), each dot row `repeat` times.
void PrintPictureOnTape(VirtualRegister& reg, std::span<const uint8_t> lines, size_t lineBytes,
                        int offset, int repeat);
// Table 6 rows first..last on the tape: their texts, and the stored pictures their picture
// records name, at their offsets (double height when table 2 field 6 says so).
void PrintReceiptTextRows(VirtualRegister& reg, uint16_t first, uint16_t last);

// The receipt header (table 6 rows 1..4, after the blank lines of table 2 field 7 where
// the model has it) and the receipt ending (rows 11..20) on the tape.
void PrintReceiptHeader(VirtualRegister& reg);
void PrintReceiptEnding(VirtualRegister& reg);

}  // namespace ptk::emu
