#include <windows.h>

#include <string>

#include "core/link/direct_command.h"

namespace ptk {

std::string LastSystemErrorText() {
  DWORD error = GetLastError();
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&text), 0,
      nullptr);
  std::string result;
  if (length != 0 && text != nullptr) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                                    nullptr);
    result.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), bytes, nullptr,
                        nullptr);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  }
  if (text != nullptr) LocalFree(text);
  return result;
}

}  // namespace ptk
