// The register's ЭКЛЗ: one record per activation, closed receipt, closed shift and
// archive closing, each with its КПК number (1, 2, 3, ... in the order written). The
// ЭКЛЗ counts as activated from its activation record on and its archive as closed from
// the closing record on; a new ЭКЛЗ has no records. Kept through a restart by the state
// file.
//
// Receipts and shift closings are written only while the archive is open: a register
// whose ЭКЛЗ was never activated works as before, one whose archive is closed takes no new
// receipt or shift until its ЭКЛЗ is replaced.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/fiscal_memory.h"

namespace ptk::emu {

class VirtualRegister;
struct RegisterState;

enum class EklzRecordKind : uint8_t {
  Activation = 0,
  Receipt = 1,
  ShiftClose = 2,
  ArchiveClose = 3
};

// Records the ЭКЛЗ has room for.
inline constexpr size_t kEklzCapacity = 20000;
// The submode of the ЭКЛЗ mode while an ЭКЛЗ report or query prints: 0x16.
inline constexpr uint8_t kEklzReportSubmode = 1;

struct EklzRecord {
  EklzRecordKind kind = EklzRecordKind::Receipt;
  uint32_t kpk = 0;
  int shift = 0;            // the shift it belongs to (activation: the first shift after it)
  int64_t at = 0;           // the register's local time, seconds since 1970
  int document = 0;         // the document number printed on it
  uint8_t receiptType = 0;  // receipts: 1..6
  int64_t total = 0;        // receipts: the receipt's sum, kopecks
  // Shift closings: the shift's closed receipts by type (index type − 1).
  std::array<int64_t, kFmReceiptTypes> totals{};
  bool operator==(const EklzRecord&) const = default;
};

struct Eklz {
  std::vector<EklzRecord> records;

  bool Activated() const {
    return !records.empty() && records.front().kind == EklzRecordKind::Activation;
  }
  bool ArchiveClosed() const {
    return !records.empty() && records.back().kind == EklzRecordKind::ArchiveClose;
  }
  // Receipts and shift closings are written.
  bool Writing() const { return Activated() && !ArchiveClosed(); }
  uint32_t LastKpk() const { return records.empty() ? 0 : records.back().kpk; }
  const EklzRecord* FindKpk(uint32_t kpk) const;
  // The shift closing of a shift; nullptr when it is not closed in this ЭКЛЗ.
  const EklzRecord* ShiftClosing(int shift) const;
  // The closed shifts within [first, last] by number or by the date (yyyymmdd) they were
  // closed.
  std::vector<EklzRecord> ClosingsByShifts(int first, int last) const;
  std::vector<EklzRecord> ClosingsByDates(int firstDate, int lastDate) const;
  // The receipts of a shift, in order.
  std::vector<EklzRecord> ReceiptsOf(int shift) const;
  bool operator==(const Eklz&) const = default;
};

// The document type bits of the ЭКЛЗ's state for a receipt type: 0 sale, 1 purchase,
// 2 sale return, 3 purchase return (annulments count as returns).
uint8_t EklzDocumentType(uint8_t receiptType);

// Why a receipt (shiftClose false) or a shift closing may not be written now: 0 when it
// may (or nothing is written, the archive not being open); D8 when the ЭКЛЗ has no room
// (a receipt leaves room for its shift's closing and the archive's); 20 when the
// register's clock is before the ЭКЛЗ's last record.
uint8_t EklzRefusal(const VirtualRegister& reg, bool shiftClose);
// Whether receipts may be opened: D4 when the archive is closed, else EklzRefusal.
uint8_t EklzReceiptRefusal(const VirtualRegister& reg);

// Writes a closed receipt (type and sum of RegisterState) and prints its КПК line.
// Nothing while the archive is not open.
void EklzWriteReceipt(VirtualRegister& reg);
// Writes the closing of shift `shift` with its totals and adds the КПК line to the
// Z report's lines. Nothing while the archive is not open.
void EklzWriteShiftClose(VirtualRegister& reg, int shift,
                         const std::array<int64_t, kFmReceiptTypes>& totals,
                         std::vector<std::string>& lines);

// A new, not activated ЭКЛЗ in place of the old one (the next number, no records); the
// register's activation count stays.
void ReplaceEklz(RegisterState& s);

}  // namespace ptk::emu
