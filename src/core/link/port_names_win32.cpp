#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "core/link/port_names.h"

namespace ptk {

// "\\.\COM5" and "\\?\..." name devices directly; anything else is a COM name or nothing.
bool IsDevicePath(const std::string& name) {
  return name.size() > 4 && name[0] == '\\' && name[1] == '\\' &&
         (name[2] == '.' || name[2] == '?') && name[3] == '\\';
}

std::string DevicePathForPort(const std::string& name) {
  if (IsDevicePath(name)) return name;
  const auto number = ComNumber(name);
  if (!number) return {};
  // The device namespace prefix lets COM10 and above open as well.
  return "\\\\.\\COM" + std::to_string(*number);
}

std::vector<std::string> EnumerateSerialPorts() {
  std::vector<std::pair<int, std::string>> found;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return {};
  }
  for (DWORD index = 0;; ++index) {
    char valueName[256];
    DWORD valueNameLength = sizeof(valueName);
    BYTE data[256];
    DWORD dataLength = sizeof(data) - 1;
    DWORD type = 0;
    const LONG rc =
        RegEnumValueA(key, index, valueName, &valueNameLength, nullptr, &type, data, &dataLength);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;  // e.g. a value too long for the buffers
    if (type != REG_SZ) continue;
    data[dataLength] = 0;  // the stored string need not be terminated
    std::string portName(reinterpret_cast<const char*>(data));
    while (!portName.empty() && portName.back() == '\0') portName.pop_back();
    if (const auto number = ComNumber(portName))
      found.emplace_back(*number, "COM" + std::to_string(*number));
  }
  RegCloseKey(key);
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  std::vector<std::string> names;
  names.reserve(found.size());
  for (auto& entry : found) names.push_back(std::move(entry.second));
  return names;
}

}  // namespace ptk
