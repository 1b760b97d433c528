#include "core/link/port_names.h"

#include <charconv>

namespace ptk {

std::optional<int> ComNumber(const std::string& name) {
  if (name.size() < 4) return std::nullopt;
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  if (upper(name[0]) != 'C' || upper(name[1]) != 'O' || upper(name[2]) != 'M') return std::nullopt;
  // Digits only: no sign, no blanks, no leading zero ("COM01" is no port name).
  const char* first = name.data() + 3;
  const char* last = name.data() + name.size();
  if (*first == '0') return std::nullopt;
  for (const char* p = first; p != last; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
  }
  int number = 0;
  auto [end, ec] = std::from_chars(first, last, number);
  if (ec != std::errc() || end != last || number < 1) return std::nullopt;
  return number;
}

}  // namespace ptk
