#include "emulator/table_store.h"

#include <cstdio>

#include "core/link/encoding.h"

namespace ptk::emu {

std::vector<uint8_t> TableStore::Get(FieldAddress a) const {
  auto it = values_.find(a);
  return it == values_.end() ? std::vector<uint8_t>{} : it->second;
}

void LoadDefaultTables(TableStore& tables) {
  tables.Clear();
  tables.Set(kHallNumberField, {0x01});
  tables.Set(kCommPasswordField, PackBcd("7391"));
  for (int row = 1; row <= kSystemAdministratorRow; ++row) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08d", row);
    tables.Set({kUsersTable, static_cast<uint16_t>(row), kUserPasswordField}, PackBcd(digits));
    std::string name;
    if (row == kAdministratorRow) {
      name = "АДМИНИСТРАТОР";
    } else if (row == kSystemAdministratorRow) {
      name = "СИС. АДМИНИСТРАТОР";
    } else {
      name = "КАССИР " + std::to_string(row);
    }
    tables.Set({kUsersTable, static_cast<uint16_t>(row), kUserNameField}, ToDeviceText(name));
  }
}

}  // namespace ptk::emu
