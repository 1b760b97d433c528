// The register's programmable tables: a store of (table, row, field) -> bytes, filled
// with the factory settings of the model. Which fields exist, their widths and the values
// they take follow the program's field catalogue; the table commands check them.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "core/programming/field_catalogue.h"

namespace ptk::emu {

struct FieldAddress {
  uint8_t table = 0;
  uint16_t row = 0;
  uint8_t field = 0;
  auto operator<=>(const FieldAddress&) const = default;
};

class TableStore {
 public:
  bool Has(FieldAddress a) const { return values_.count(a) != 0; }
  // Empty when the field does not exist.
  std::vector<uint8_t> Get(FieldAddress a) const;
  void Set(FieldAddress a, std::vector<uint8_t> value) { values_[a] = std::move(value); }
  void Clear() { values_.clear(); }
  const std::map<FieldAddress, std::vector<uint8_t>>& all() const { return values_; }

 private:
  std::map<FieldAddress, std::vector<uint8_t>> values_;
};

// Addresses the other commands rely on.
inline constexpr FieldAddress kHallNumberField{kSettingsTable, 1, 1};  // pd, 2 digits
inline constexpr FieldAddress kCommPasswordField{kSettingsTable, 1,
                                                 settings_field::kCommPassword};  // pd, 4
inline constexpr FieldAddress kHeaderSpacingField{kSettingsTable, 1,
                                                  settings_field::kHeaderSpacing};
inline constexpr uint8_t kUserPasswordField = 1;  // pd, 8 digits
inline constexpr uint8_t kUserNameField = 2;      // register's characters, 42 bytes
inline constexpr int kCashierRows = 28;
inline constexpr int kAdministratorRow = 29;
inline constexpr int kSystemAdministratorRow = 30;

// The capabilities of the model a register of this model code has.
const ModelCapabilities& RegisterCapabilities(uint16_t model);

// The factory settings of every catalogue field the model has: communication password
// 7391, register number 1, user r with the password r as eight digits ("00000001" ..
// "00000030") and a name, sections, taxes, the receipt header and ending, and on the
// third model the attribute names and its print settings.
void LoadDefaultTables(TableStore& tables, uint16_t model);

// A receipt text line (table 6) as it appears on the tape: the characters, a picture
// record as "[картинка N, смещение M]", the byte after 0x09 as itself.
std::string ReceiptTextForTape(std::span<const uint8_t> bytes);
// The non-empty lines of table 6 rows first..last, for the tape.
std::vector<std::string> ReceiptTextLines(const TableStore& tables, uint16_t first, uint16_t last);

}  // namespace ptk::emu
