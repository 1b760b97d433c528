// Result codes of the register and their messages.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/shell/user_interface.h"

namespace ptk {

// The message text of a result code (" 00 - Ошибок нет. Команда выполнена.", ...);
// " Неизвестный код ошибки." for a code without an entry.
std::string_view ResultCodeText(uint8_t code);
inline bool IsSuccessCode(uint8_t code) { return code == 0x00 || code == 0x01; }

// Writes the text into ed_rezult; for an error other than 0x16 shows it in a box
// ("Ошибка", error icon). 1 for 0x00 and 0x01, else 0.
int ShowResultCode(UserInterface& ui, uint8_t code);

}  // namespace ptk
