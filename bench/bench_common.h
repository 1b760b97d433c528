// Pieces every benchmark shares: a user interface that only logs its boxes, and the
// virtual register started on its pseudo-terminal with the program's port opened on it.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "core/link/serial_port.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"

namespace ptk::bench {

class QuietUi final : public UserInterface {
 public:
  explicit QuietUi(Answer answer = Answer::Ok) : answer_(answer) {}

  Answer ShowBox(std::string_view caption, std::string_view text, Icon, Buttons) override {
    std::fprintf(stderr, "box: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    return answer_;
  }
  std::optional<std::string> AskFile(const FileRequest&) override { return std::nullopt; }
  void SetResult(std::string_view text) override { result_ = std::string(text); }
  std::string Result() const override { return result_; }
  bool PumpMessages() override { return true; }

 private:
  Answer answer_;
  std::string result_;
};

// Index of the line speed in the settings' speed list; unknown speeds run at the fastest.
inline int BaudIndexFor(int baud) {
  const int table[] = {9600, 19200, 38400, 57600, 115200};
  for (int i = 0; i < 5; ++i) {
    if (table[i] == baud) return i;
  }
  return 4;
}

// Starts the virtual register and opens the port on its pseudo-terminal; says why on failure.
inline bool StartAndOpen(emu::EmulatorHost& host, SerialPort& port, int baud) {
  if (!host.Start()) {
    std::fprintf(stderr, "cannot start the virtual register: %s\n", host.LastError().c_str());
    return false;
  }
  if (!port.OpenPort(host.SlavePath()) || !port.ConfigurePort(BaudIndexFor(baud))) {
    std::fprintf(stderr, "cannot open %s\n", host.SlavePath().c_str());
    return false;
  }
  return true;
}

}  // namespace ptk::bench
