#include "core/settings/config.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ptk {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultPort = "COM1";
constexpr const char* kDefaultBaud = "CBR_115200";
constexpr const char* kDefaultPassword = "7391";
// A settings word is at most this long; a device path may be longer.
constexpr size_t kMaxWord = 10;
constexpr size_t kMaxPathWord = 4096;
constexpr int kMaxPortNumber = 256;

const char* FileFor(int which) {
  switch (which) {
    case 1:
      return kPortFile;
    case 2:
      return kBaudFile;
    default:
      return kPasswordFile;
  }
}

fs::path PathFor(const Settings& settings, int which) {
  return fs::path(settings.directory) / FileFor(which);
}

bool IsPathName(const std::string& word) {
  return (!word.empty() && word[0] == '/') || word.rfind("\\\\.\\", 0) == 0;
}

// The first whitespace-delimited word of the file, cut to kMaxWord characters unless it
// is a device path; nullopt when the file is missing, unreadable or holds no word.
std::optional<std::string> ReadWord(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string word;
  if (!(in >> word) || word.empty()) return std::nullopt;
  const size_t limit = IsPathName(word) ? kMaxPathWord : kMaxWord;
  if (word.size() > limit) word.resize(limit);
  return word;
}

// n for "COMn" with n in 1..256, the "COM" in any case; nullopt otherwise.
std::optional<int> PortNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > kMaxWord) return std::nullopt;
  for (size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return std::nullopt;
  }
  int n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
    n = n * 10 + (name[i] - '0');
    if (n > kMaxPortNumber) return std::nullopt;
  }
  if (n < 1) return std::nullopt;
  return n;
}

// Replaces the file by way of a temporary file in the same folder, so that a failed write
// leaves the old file as it was.
bool WriteFileAtomically(const fs::path& path, const std::string& line) {
  fs::path temp = path;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::trunc);  // text mode: the platform's line break
    if (!out) return false;
    out << line << '\n';
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(temp, ignored);
      return false;
    }
  }
#ifdef _WIN32
  const bool renamed = MoveFileExW(temp.c_str(), path.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  std::error_code error;
  fs::rename(temp, path, error);
  const bool renamed = !error;
#endif
  if (!renamed) {
    std::error_code ignored;
    fs::remove(temp, ignored);
  }
  return renamed;
}

bool LoadPort(Settings& settings, UserInterface& ui) {
  const std::string name = ReadWord(PathFor(settings, 1)).value_or(kDefaultPort);
  if (IsPathName(name)) {
    settings.portName = name;
    settings.PortIndex = 0;
    return true;
  }
  if (const std::optional<int> n = PortNumber(name)) {
    settings.portName = name;
    settings.PortIndex = *n - 1;
    return true;
  }
  // Keep the previous port; before any port was loaded that is COM1 (PortIndex 0).
  if (settings.portName.empty()) settings.portName = "COM" + std::to_string(settings.PortIndex + 1);
  ShowError(ui, "Неверное имя порта \"" + name + "\" в файле " + kPortFile + ". Оставлен порт " +
                    settings.portName + ".");
  return false;
}

}  // namespace

bool LoadSetting(Settings& settings, int which, UserInterface& ui) {
  switch (which) {
    case 1:
      return LoadPort(settings, ui);
    case 2:
      settings.baudName = ReadWord(PathFor(settings, 2)).value_or(kDefaultBaud);
      for (int i = 0; i < 5; ++i) {
        if (settings.baudName == kBaudNames[i]) settings.BaudIndex = i;
      }
      return true;
    case 3:
      settings.AccessPassword = ReadWord(PathFor(settings, 3)).value_or(kDefaultPassword);
      return true;
    default:
      return false;
  }
}

bool SaveSetting(Settings& settings, int which, UserInterface& ui) {
  std::string value;
  switch (which) {
    case 1:
      value = settings.portName;
      break;
    case 2:
      value = settings.baudName;
      break;
    case 3:
      settings.AccessPassword = settings.pendingPassword;
      value = settings.AccessPassword;
      break;
    default:
      return false;
  }
  if (WriteFileAtomically(PathFor(settings, which), value)) return true;
  ShowError(ui, std::string("Не удалось записать файл ") + FileFor(which) + "!");
  return false;
}

}  // namespace ptk
