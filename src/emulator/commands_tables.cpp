// Table fields: reading (0x46 'F', in every mode) and writing (0x50 'P', in programming
// mode only). Parameters: table, row (two bytes, high first), field, then for a write the
// value. The fields that exist and the values they take follow the field catalogue of the
// register's model: an unknown table is refused with 0x91, a row outside the table with
// 0x92, an unknown field with 0x93, a value of the wrong length with 0x14 and a value
// that is not a number of the field's range or not packed decimal with 0x13. A write
// takes effect at once: a new communication password is the one the next command needs.
#include <algorithm>

#include "emulator/receipt_book.h"
#include "emulator/virtual_register.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;

constexpr uint8_t kBadTable = 0x91;
constexpr uint8_t kBadRow = 0x92;
constexpr uint8_t kBadField = 0x93;

struct Address {
  FieldAddress at;
  const CatalogueField* field = nullptr;
};

// The field the parameters address, or the refusal.
uint8_t Locate(const VirtualRegister& reg, std::span<const uint8_t> p, Address& a) {
  a.at = {p[0], static_cast<uint16_t>((p[1] << 8) | p[2]), p[3]};
  const ModelCapabilities& caps = RegisterCapabilities(reg.state().model);
  bool table = false, row = false;
  for (const CatalogueField& f : FieldCatalogue()) {
    if (f.table != a.at.table || !FieldPresent(f, caps)) continue;
    table = true;
    if (a.at.row < f.firstRow || a.at.row > f.lastRow) continue;
    row = true;
    if (f.field == a.at.field) a.field = &f;
  }
  if (!table) return kBadTable;
  if (!row) return kBadRow;
  if (a.field == nullptr) return kBadField;
  return rc::kOk;
}

// The value as the register keeps it, or the refusal.
uint8_t CheckValue(const CatalogueField& f, std::span<const uint8_t> v, std::vector<uint8_t>& out) {
  out.assign(v.begin(), v.end());
  switch (f.encoding) {
    case FieldEncoding::Packed:
    case FieldEncoding::TaxRate: {
      if (v.size() != f.width) return rc::kBadLength;
      int64_t value = 0;
      if (!BcdValue(v, value)) return rc::kBadFormat;
      if (f.maxValue > 0 && (value < f.minValue || value > f.maxValue)) return rc::kBadFormat;
      return rc::kOk;
    }
    case FieldEncoding::Flag:
    case FieldEncoding::Number: {
      if (v.size() != 1) return rc::kBadLength;
      const int max = f.encoding == FieldEncoding::Flag ? 1 : f.maxValue;
      const int min = f.encoding == FieldEncoding::Flag ? 0 : f.minValue;
      if (v[0] < min || v[0] > max) return rc::kBadFormat;
      return rc::kOk;
    }
    case FieldEncoding::ClassicText:
    case FieldEncoding::OemText:
      if (v.empty() || v.size() > f.width) return rc::kBadLength;
      out.resize(f.width, 0x00);
      return rc::kOk;
    case FieldEncoding::ReceiptLine:
      if (v.empty() || v.size() > f.width) return rc::kBadLength;
      return rc::kOk;
  }
  return rc::kBadFormat;
}

Reply ReadField(VirtualRegister& reg, const Command& c) {
  Address a;
  if (uint8_t refusal = Locate(reg, c.params, a)) return R::Error(refusal);
  return R::Ok(reg.state().tables.Get(a.at));
}

Reply WriteField(VirtualRegister& reg, const Command& c) {
  Address a;
  if (uint8_t refusal = Locate(reg, c.params, a)) return R::Error(refusal);
  std::vector<uint8_t> value;
  if (uint8_t refusal = CheckValue(*a.field, c.params.subspan(4), value)) return R::Error(refusal);
  reg.state().tables.Set(a.at, std::move(value));
  return R::Ok();
}

}  // namespace

void RegisterTableCommands(CommandTable& table) {
  table.Add({0x46, "read table field", 4, kAnyMode, false, ReadField});
  table.Add({0x50, "write table field", 5, Modes({4}), false, WriteField});
}

}  // namespace ptk::emu
