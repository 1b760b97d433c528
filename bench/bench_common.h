// Pieces every benchmark shares: a user interface that only logs its boxes, and the
// virtual register started on its pseudo-terminal with the program's port opened on it.
#pragma once

#include <charconv>
#include <cstdio>
#include <cstring>
#include <initializer_list>
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

// Index of the line speed in the settings' speed list; unknown speeds run at the fastest
// (the command line refuses them, see ParseArgs).
inline int BaudIndexFor(int baud) {
  const int table[] = {9600, 19200, 38400, 57600, 115200};
  for (int i = 0; i < 5; ++i) {
    if (table[i] == baud) return i;
  }
  return 4;
}

// One positional argument: a decimal number within [low, high], or a line speed (one of
// the five the settings know) when baud is set.
struct Arg {
  const char* name;
  long low;
  long high;
  long& value;  // holds the default, replaced when the argument is given
  bool baud = false;
};

// Parses the positional arguments; --help prints usage. Returns -1 to go on, else the
// exit status: 0 after --help, 2 after one line on stderr naming the argument at fault.
inline int ParseArgs(int argc, char** argv, const char* usage, std::initializer_list<Arg> args) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf("%s\n", usage);
    return 0;
  }
  if (argc - 1 > static_cast<int>(args.size())) {
    std::fprintf(stderr, "too many arguments (%s)\n", usage);
    return 2;
  }
  int i = 1;
  for (const Arg& a : args) {
    if (i >= argc) break;
    const char* text = argv[i++];
    const char* end = text + std::strlen(text);
    long v = 0;
    const auto [ptr, ec] = std::from_chars(text, end, v);
    bool ok = *text != '\0' && ec == std::errc() && ptr == end && v >= a.low && v <= a.high;
    if (ok && a.baud) ok = BaudIndexFor(static_cast<int>(v)) != 4 || v == 115200;
    if (!ok) {
      if (a.baud)
        std::fprintf(stderr, "%s takes 9600, 19200, 38400, 57600 or 115200, not %s (%s)\n", a.name,
                     text, usage);
      else
        std::fprintf(stderr, "%s takes %ld to %ld, not %s (%s)\n", a.name, a.low, a.high, text,
                     usage);
      return 2;
    }
    a.value = v;
  }
  return -1;
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
