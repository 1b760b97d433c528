// The register's programmable tables as a plain store: (table, row, field) -> bytes.
// Which fields exist and how they are encoded is the business of the commands that read
// and write them; the store only keeps values and their defaults.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <tuple>
#include <vector>

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

// Addresses the first commands rely on.
inline constexpr FieldAddress kHallNumberField{2, 1, 1};     // pd, 2 digits
inline constexpr FieldAddress kCommPasswordField{2, 1, 23};  // pd, 4 digits
inline constexpr uint8_t kUsersTable = 3;                    // rows 1..30
inline constexpr uint8_t kUserPasswordField = 1;             // pd, 8 digits
inline constexpr uint8_t kUserNameField = 2;                 // register's characters
inline constexpr int kCashierRows = 28;
inline constexpr int kAdministratorRow = 29;
inline constexpr int kSystemAdministratorRow = 30;

// The factory settings: communication password 7391, register number 1, user r with the
// password r as eight digits ("00000001" .. "00000030") and a name.
void LoadDefaultTables(TableStore& tables);

}  // namespace ptk::emu
