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
// Answers: marker 'U' (0x55), result code, data; 'D' first for 0x3F; the result code
// first for 0xA5; no result code in the cash-in-drawer answer (0x4D), only the amount. Error
// answers are three bytes (marker, code, 0), so that commands read with an exact answer length of 6
// get them whole.
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
#include "emulator/eklz.h"
#include "emulator/faults.h"
#include "emulator/fiscal_memory.h"
#include "emulator/paper_tape.h"
#include "emulator/picture_memory.h"
#include "emulator/protocol_engine.h"
#include "emulator/register_counters.h"
#include "emulator/table_store.h"

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

inline constexpr int kReceiptTypes = 6;  // sale, sale return, sale annulment, purchase, ...
inline constexpr int kPaymentTypes = 4;  // cash, types 2 to 4
inline constexpr int kSections = 16;
inline constexpr int kUserRows = 30;  // cashiers 1..28, administrator 29, system administrator 30
inline constexpr int kHours = 24;
static_assert(kReceiptTypes == kFmReceiptTypes);

// One line of the open receipt: a registration (a sale, return or annulment, as the
// receipt's type says) or the storno of one.
struct ReceiptLine {
  uint8_t code = 0;        // the command: 0x48 sale or repeat, 0x57 return, 0x41 annulment,
                           // 0x4E storno
  int64_t price = 0;       // kopecks
  int64_t quantity = 0;    // thousandths
  uint8_t section = 1;     // 1..kSections
  int64_t amount = 0;      // kopecks: price × quantity, rounded
  int64_t adjustment = 0;  // its discount (negative) or surcharge (positive)
  bool operator==(const ReceiptLine&) const = default;
};

// The open receipt beyond its type and sum (RegisterState::receiptState, receiptSum).
struct ReceiptState {
  std::vector<ReceiptLine> lines;
  std::array<int64_t, kSections> sections{};  // the receipt's sum per section
  std::array<int64_t, kPaymentTypes> payments{};
  int64_t discounts = 0;  // on lines and on the whole receipt
  int64_t surcharges = 0;
  int receiptAdjustments = 0;  // discounts and surcharges on the whole receipt
  uint8_t lastCommand = 0;     // the last operation that changed the receipt
  int64_t lastAdjustment = 0;  // the cancellable discount (−) or surcharge (+)
  bool lastAdjustmentOnLine = false;
  std::vector<std::string> notes;  // card lines printed under the payments
  // The payment card's number, authorisation code and reference number, handed over
  // before a payment by card and printed with it.
  std::array<std::string, 3> card;
  bool operator==(const ReceiptState&) const = default;
};

// The shift's counters, by receipt type (index type − 1); kept from the shift's opening
// to its closing.
struct ShiftCounters {
  std::array<int64_t, kReceiptTypes> registrations{};  // kopecks, before discounts
  std::array<int64_t, kReceiptTypes> stornos{};
  std::array<int, kReceiptTypes> registrationCount{};
  std::array<int, kReceiptTypes> stornoCount{};
  std::array<int64_t, kReceiptTypes> discounts{};
  std::array<int64_t, kReceiptTypes> surcharges{};
  std::array<int, kReceiptTypes> receipts{};    // closed receipts
  std::array<int64_t, kReceiptTypes> totals{};  // closed receipts' sums
  std::array<std::array<int64_t, kPaymentTypes>, kReceiptTypes> payments{};  // change deducted
  std::array<std::array<int64_t, kSections>, kReceiptTypes> sections{};
  int annulledReceipts = 0;
  int64_t annulledSum = 0;
  int64_t cashIns = 0;  // kopecks put into the drawer outside receipts
  int64_t cashOuts = 0;
  int cashInCount = 0;
  int cashOutCount = 0;
  // Closed receipts and their takings (money in less money out) by the user who closed
  // them (index row − 1) and by the hour of the closing.
  std::array<int, kUserRows> cashierReceipts{};
  std::array<int64_t, kUserRows> cashierSums{};
  std::array<int, kHours> hourReceipts{};
  std::array<int64_t, kHours> hourSums{};
  bool operator==(const ShiftCounters&) const = default;
};

// Everything the register keeps; saved and loaded as a whole.
struct RegisterState {
  // Modes: mode in the low four bits of the mode byte, submode in the high four.
  uint8_t mode = 0;
  uint8_t submode = 0;
  uint8_t cashier = 0;  // the user row that entered the current mode (0: none yet)
  uint8_t ModeByte() const { return static_cast<uint8_t>((submode << 4) | (mode & 0x0F)); }

  // Clock: the register's local time is the host's plus this offset.
  int64_t clockOffset = 0;
  int64_t pendingDate = 0;  // yyyymmdd of a date waiting for confirmation; 0: none

  // Identity.
  uint16_t model = 0;
  uint16_t firmwareVersion = 300;
  uint16_t firmwareSubversion = 7;
  uint16_t fmVersion = 120;
  uint16_t fmSubversion = 3;
  uint8_t languageTable = 0;               // "русская"
  std::string factoryNumber = "00102030";  // eight digits
  std::string deviceName = "ВИРТУАЛЬНЫЙ ПТК";
  uint8_t portNumber = 1;
  uint8_t decimalPoint = 2;
  std::string fiscalMemoryPassword = "00000000";

  // Fiscal state, shift and receipt.
  bool fiscalized = false;
  bool batteryLow = false;
  bool shiftOpen = false;
  int lastClosedShift = 0;
  int receiptNumber = 0;
  uint8_t receiptState = 0;  // 0 closed, 1 sale, 2 return, 3 annulment, 4 purchase, ...
  int64_t receiptSum = 0;    // kopecks, discounts and surcharges included
  ReceiptState receipt;
  ShiftCounters shift;
  int64_t shiftOpenedAt = 0;  // the register's local time, seconds since 1970
  int documentNumber = 0;     // the last document printed (shift openings, receipts)
  int64_t cashInDrawer = 0;   // kopecks; outlives the shift
  // The fiscal identity, the ЭКЛЗ and the lifelong sums the registers report.
  RegisterCounters counters;

  // The takings of the last shift a Z report closed.
  int64_t lastShiftTotal = 0;
  // The fiscal memory; survives everything but a new register.
  FiscalMemory fm;
  // The ЭКЛЗ's records; its number and activations are in counters.
  Eklz eklz;
  // Nothing to clear since the last general clearing (a new register has nothing).
  bool generalClearingDone = true;

  // The programmable tables, the receipt header and ending (table 6) among them.
  TableStore tables;
  // The picture memory (models with pictures).
  PictureStore pictures;

  // Counters of things that leave no trace on the tape.
  uint64_t beeps = 0;
  uint64_t drawerOpenings = 0;
};

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

struct CommandSpec {
  uint8_t code = 0;
  const char* name = "";
  size_t minParams = 0;
  uint16_t modes = kAnyMode;
  bool prints = false;  // refused while the printer cannot print
  CommandHandler handler = nullptr;
  bool picturesOnly = false;  // only models with pictures have it (0x7A on the others)
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

  static constexpr uint8_t kReportSubmode = 2;  // 0x22, 0x23, 0x25: печать отчета
  static constexpr uint8_t kGeneralClearingSubmode = 6;  // 0x63: общее гашение
  static constexpr uint32_t kDefaultReportLineMs = 15;   // a fast thermal printer

  // Answers.
  static Reply Ok(std::initializer_list<uint8_t> data = {0x00});
  static Reply Ok(std::vector<uint8_t> data);
  static Reply Error(uint8_t code, uint8_t commandCode = 0);

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
