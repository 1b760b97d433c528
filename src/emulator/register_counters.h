// What the register's registers report beyond the shift's counters and the receipt: the
// fiscal identity (ИНН, registration number, fiscalisation), the ЭКЛЗ and its activations,
// the non-resettable sums of the fiscal memory, and the last shift closing. Kept in
// RegisterState::counters; it outlives shifts and the technological reset, as the fiscal
// memory and the ЭКЛЗ do.
#pragma once

#include <array>
#include <cstdint>

namespace ptk::emu {

struct RegisterState;

// Limits of the fiscal memory and the ЭКЛЗ.
inline constexpr int kMaxReregistrations = 4;
inline constexpr int kFiscalMemoryShiftRecords = 2100;
inline constexpr int kMaxEklzActivations = 50;
// The printer's line: characters of text, dots of a graphic line.
inline constexpr int kGraphicLineDots = 320;
// The longest command the register takes in one frame (password, code, parameters).
inline constexpr int kMaxCommandBytes = 128;

// Totals kept by total type: 0 sales, 1 purchases.
inline constexpr int kTotalTypes = 2;

struct RegisterCounters {
  // Fiscal identity; all zero until the register is fiscalised.
  uint64_t inn = 0;                 // twelve digits
  uint64_t registrationNumber = 0;  // ten digits
  int fiscalisationShift = 0;       // the first shift after fiscalisation or re-registration
  int64_t fiscalisationDate = 0;    // yyyymmdd; 0: none
  int reregistrations = 0;          // re-registrations done

  // The ЭКЛЗ installed, and its activations in this register.
  uint64_t eklzNumber = 123456;    // ten digits
  int eklzActivations = 0;         // the current activation's number; 0: never activated
  int64_t eklzActivationDate = 0;  // yyyymmdd
  int eklzActivationShift = 0;

  // Shift totals of every closed shift, in all and since the last re-registration.
  std::array<int64_t, kTotalTypes> nonResettable{};
  std::array<int64_t, kTotalTypes> sinceReregistration{};

  // When the last shift was closed: the register's local time in seconds since 1970;
  // 0 when no shift was ever closed.
  int64_t shiftClosedAt = 0;

  bool operator==(const RegisterCounters&) const = default;
};

// The shift's total of a total type: sales (or purchases) less their returns and
// annulments; never below zero.
int64_t ShiftTotalOfType(const RegisterState& s, int totalType);

// For the closing of a shift: adds the shift's totals to the non-resettable sums and notes
// the closing time. The caller then counts the shift (lastClosedShift) and clears it.
void CountShiftClosed(RegisterState& s, int64_t closedAt);

}  // namespace ptk::emu
