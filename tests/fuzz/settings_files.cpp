// The three settings files (port, speed, password) as they may be found in the working
// folder: any bytes. Each is loaded; whatever it held, the settings stay usable, and a
// value that was taken is saved and loaded back unchanged.
//
// Input: which file (1..3 from the first byte), then the file's bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/settings/config.h"
#include "fuzz_input.h"
#include "support/recording_ui.h"

namespace {

using namespace ptk;
namespace fs = std::filesystem;

const fs::path& Folder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("ptk-fuzz-settings-" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

const char* FileName(int which) {
  return which == 1 ? kPortFile : which == 2 ? kBaudFile : kPasswordFile;
}

void Check(const Settings& s) {
  PTK_FUZZ_CHECK(s.BaudIndex >= 0 && s.BaudIndex < 5);
  PTK_FUZZ_CHECK(s.PortIndex >= 0 && s.PortIndex < 256);
  PTK_FUZZ_CHECK(!s.portName.empty());
  PTK_FUZZ_CHECK(s.portName.size() <= 4096);
  PTK_FUZZ_CHECK(s.AccessPassword.size() <= 4096);
  PTK_FUZZ_CHECK(s.portName.find_first_of(" \t\r\n") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const int which = 1 + in.Byte() % 3;
  const std::span<const uint8_t> content = in.Rest();
  const fs::path path = Folder() / FileName(which);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size()));
  }

  test::RecordingUi ui;
  Settings settings;
  settings.directory = Folder().string();
  const bool loaded = LoadSetting(settings, which, ui);
  // A value that is not taken is always shown, and the previous one stays.
  PTK_FUZZ_CHECK(loaded == ui.boxes.empty());
  if (which == 1) {
    Check(settings);
  } else {
    PTK_FUZZ_CHECK(settings.BaudIndex >= 0 && settings.BaudIndex < 5);
    if (!loaded && which == 3)
      PTK_FUZZ_CHECK(settings.AccessPassword == "7391");  // the default stays
  }

  // What was taken goes back to the file and comes back the same.
  if (loaded) {
    settings.pendingPassword = settings.AccessPassword;  // the password is saved from here
    const Settings before = settings;
    PTK_FUZZ_CHECK(SaveSetting(settings, which, ui));
    Settings again;
    again.directory = settings.directory;
    again.BaudIndex = before.BaudIndex;
    PTK_FUZZ_CHECK(LoadSetting(again, which, ui));
    if (which == 1) {
      PTK_FUZZ_CHECK(again.portName == before.portName);
      PTK_FUZZ_CHECK(again.PortIndex == before.PortIndex);
    } else if (which == 2) {
      PTK_FUZZ_CHECK(again.BaudIndex == before.BaudIndex);
    } else {
      PTK_FUZZ_CHECK(again.AccessPassword == before.AccessPassword);
    }
  }
  fs::remove(path);
  return 0;
}
