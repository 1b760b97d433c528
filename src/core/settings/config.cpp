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

// What a settings file gave: nothing (missing or holding no word: the default applies), a
// file that cannot be read (a folder in its place, a read error), or its word.
struct Word {
  enum class Kind { Default, Unreadable, Value } kind = Kind::Default;
  std::string text;
};

// The first whitespace-delimited word of the file, cut to kMaxWord characters unless it
// is a device path.
Word ReadWord(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!fs::exists(status)) return {};
  // A folder opens as a stream that reads nothing, and reading it throws.
  if (!fs::is_regular_file(status)) return {Word::Kind::Unreadable, {}};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {Word::Kind::Unreadable, {}};
  std::string word;
  if (!(in >> word) || word.empty()) {
    if (in.bad()) return {Word::Kind::Unreadable, {}};
    return {};
  }
  const size_t limit = IsPathName(word) ? kMaxPathWord : kMaxWord;
  if (word.size() > limit) word.resize(limit);
  return {Word::Kind::Value, word};
}

// The box for a file that exists but cannot be read; what is kept stands in `kept`.
void ShowUnreadable(UserInterface& ui, const char* file, const std::string& kept) {
  ShowError(ui, std::string("Не удалось прочитать файл ") + file + ". " + kept);
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

std::string KeptPort(Settings& settings) {
  // Keep the previous port; before any port was loaded that is COM1 (PortIndex 0).
  if (settings.portName.empty()) settings.portName = "COM" + std::to_string(settings.PortIndex + 1);
  return "Оставлен порт " + settings.portName + ".";
}

bool LoadPort(Settings& settings, UserInterface& ui) {
  const Word word = ReadWord(PathFor(settings, 1));
  if (word.kind == Word::Kind::Unreadable) {
    const std::string kept = KeptPort(settings);
    ShowUnreadable(ui, kPortFile, kept);
    return false;
  }
  const std::string name = word.kind == Word::Kind::Value ? word.text : kDefaultPort;
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
  const std::string kept = KeptPort(settings);
  ShowError(ui, "Неверное имя порта \"" + name + "\" в файле " + kPortFile + ". " + kept);
  return false;
}

// A name other than the five leaves BaudIndex as it was (9600 bit/s at program start), and
// says so: the speed in use is then not the one the file meant.
bool LoadBaud(Settings& settings, UserInterface& ui) {
  const int index = settings.BaudIndex >= 0 && settings.BaudIndex < 5 ? settings.BaudIndex : 0;
  const std::string kept =
      std::string("Оставлена скорость ") + std::to_string(kBaudRates[index]) + " бит/с.";
  const Word word = ReadWord(PathFor(settings, 2));
  if (word.kind == Word::Kind::Unreadable) {
    ShowUnreadable(ui, kBaudFile, kept);
    return false;
  }
  settings.baudName = word.kind == Word::Kind::Value ? word.text : kDefaultBaud;
  for (int i = 0; i < 5; ++i) {
    if (settings.baudName == kBaudNames[i]) {
      settings.BaudIndex = i;
      return true;
    }
  }
  ShowError(ui,
            "Неверная скорость \"" + settings.baudName + "\" в файле " + kBaudFile + ". " + kept);
  return false;
}

// The access password is digits; one with any other character would be sent as zeros (its
// digits only count), so the previous one (7391 before any) is kept and the box says so.
bool LoadPassword(Settings& settings, UserInterface& ui) {
  if (settings.AccessPassword.empty()) settings.AccessPassword = kDefaultPassword;
  const std::string kept = "Оставлен пароль " + settings.AccessPassword + ".";
  const Word word = ReadWord(PathFor(settings, 3));
  if (word.kind == Word::Kind::Unreadable) {
    ShowUnreadable(ui, kPasswordFile, kept);
    return false;
  }
  const std::string password = word.kind == Word::Kind::Value ? word.text : kDefaultPassword;
  if (password.find_first_not_of("0123456789") != std::string::npos) {
    ShowError(ui, "Неверный пароль \"" + password + "\" в файле " + kPasswordFile + ". " + kept);
    return false;
  }
  settings.AccessPassword = password;
  return true;
}

}  // namespace

bool LoadSetting(Settings& settings, int which, UserInterface& ui) {
  switch (which) {
    case 1:
      return LoadPort(settings, ui);
    case 2:
      return LoadBaud(settings, ui);
    case 3:
      return LoadPassword(settings, ui);
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
