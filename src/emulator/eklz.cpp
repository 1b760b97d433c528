#include "emulator/eklz.h"

#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

int DateOf(int64_t at) {
  const DateTime t = FromSeconds(at);
  return PackDate(t.year, t.month, t.day);
}

// The next record, numbered and timed.
EklzRecord NextRecord(const VirtualRegister& reg, EklzRecordKind kind) {
  EklzRecord r;
  r.kind = kind;
  r.kpk = reg.state().eklz.LastKpk() + 1;
  r.at = ToSeconds(reg.Now());
  return r;
}

std::string KpkLine(const RegisterState& s, uint32_t kpk) {
  return TapeLine("ЭКЛЗ " + Padded(static_cast<int64_t>(s.counters.eklzNumber), 10),
                  "КПК " + Padded(kpk, 8));
}

}  // namespace

const EklzRecord* Eklz::FindKpk(uint32_t kpk) const {
  // Numbered 1, 2, 3, ... in order: the record sits at kpk − 1.
  if (kpk == 0 || kpk > records.size()) return nullptr;
  const EklzRecord& r = records[kpk - 1];
  return r.kpk == kpk ? &r : nullptr;
}

const EklzRecord* Eklz::ShiftClosing(int shift) const {
  for (const EklzRecord& r : records)
    if (r.kind == EklzRecordKind::ShiftClose && r.shift == shift) return &r;
  return nullptr;
}

std::vector<EklzRecord> Eklz::ClosingsByShifts(int first, int last) const {
  std::vector<EklzRecord> out;
  for (const EklzRecord& r : records)
    if (r.kind == EklzRecordKind::ShiftClose && r.shift >= first && r.shift <= last)
      out.push_back(r);
  return out;
}

std::vector<EklzRecord> Eklz::ClosingsByDates(int firstDate, int lastDate) const {
  std::vector<EklzRecord> out;
  for (const EklzRecord& r : records) {
    if (r.kind != EklzRecordKind::ShiftClose) continue;
    const int date = DateOf(r.at);
    if (date >= firstDate && date <= lastDate) out.push_back(r);
  }
  return out;
}

std::vector<EklzRecord> Eklz::ReceiptsOf(int shift) const {
  std::vector<EklzRecord> out;
  for (const EklzRecord& r : records)
    if (r.kind == EklzRecordKind::Receipt && r.shift == shift) out.push_back(r);
  return out;
}

uint8_t EklzDocumentType(uint8_t receiptType) {
  switch (receiptType) {
    case 2:
    case 3:
      return 2;
    case 4:
      return 1;
    case 5:
    case 6:
      return 3;
    default:
      return 0;
  }
}

uint8_t EklzRefusal(const VirtualRegister& reg, bool shiftClose) {
  const Eklz& e = reg.state().eklz;
  if (!e.Writing()) return rc::kOk;
  // Itself, then the shift's closing and the archive's closing still to come.
  const size_t needed = shiftClose ? 2 : 3;
  if (e.records.size() + needed > kEklzCapacity) return rc::kEklzFull;
  if (ToSeconds(reg.Now()) < e.records.back().at) return rc::kClockBeforeEklz;
  return rc::kOk;
}

uint8_t EklzReceiptRefusal(const VirtualRegister& reg) {
  const Eklz& e = reg.state().eklz;
  if (e.Activated() && e.ArchiveClosed()) return rc::kEklzState;
  return EklzRefusal(reg, false);
}

void EklzWriteReceipt(VirtualRegister& reg) {
  RegisterState& s = reg.state();
  if (!s.eklz.Writing()) return;
  EklzRecord r = NextRecord(reg, EklzRecordKind::Receipt);
  r.shift = s.lastClosedShift + 1;
  r.document = s.documentNumber;
  r.receiptType = s.receiptState;
  r.total = s.receiptSum;
  s.eklz.records.push_back(r);
  reg.Print(KpkLine(s, r.kpk));
}

void EklzWriteShiftClose(VirtualRegister& reg, int shift,
                         const std::array<int64_t, kFmReceiptTypes>& totals,
                         std::vector<std::string>& lines) {
  RegisterState& s = reg.state();
  if (!s.eklz.Writing()) return;
  EklzRecord r = NextRecord(reg, EklzRecordKind::ShiftClose);
  r.shift = shift;
  r.document = s.documentNumber;
  r.totals = totals;
  s.eklz.records.push_back(r);
  lines.push_back(KpkLine(s, r.kpk));
}

void ReplaceEklz(RegisterState& s) {
  s.eklz = Eklz{};
  s.counters.eklzNumber = (s.counters.eklzNumber + 1) % 10'000'000'000ull;
}

}  // namespace ptk::emu
