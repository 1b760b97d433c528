// Everything the virtual register keeps, as plain values: modes, identity, the shift and
// the open receipt with their counters, the fiscal memory, the ЭКЛЗ, the tables and the
// pictures. The state file saves and loads it as a whole.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/eklz.h"
#include "emulator/fiscal_memory.h"
#include "emulator/picture_memory.h"
#include "emulator/register_counters.h"
#include "emulator/table_store.h"

namespace ptk::emu {

// Submodes of a report that prints (modes 2, 3 and 5: 0x22, 0x23, 0x25, печать отчета)
// and of the general clearing (mode 3: 0x63, общее гашение).
inline constexpr uint8_t kReportSubmode = 2;
inline constexpr uint8_t kGeneralClearingSubmode = 6;

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

}  // namespace ptk::emu
