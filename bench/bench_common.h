// Pieces every benchmark shares: a user interface that only logs its boxes, the
// arguments, the wire time of an exchange, and the virtual register paced at a line speed
// with the program's link on its pseudo-terminal.
#pragma once

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/framing.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"
#include "support/emulated_link.h"

namespace ptk::bench {

// The parts one after another.
inline std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The wire time of one exchange at byteMs a byte, in three parts: before the answer (ENQ,
// ACK, the command frame, ACK, EOT, the register's ENQ, the program's ACK), the answer frame
// (command and answer are payloads, framed here), and after it (the program's ACK and the
// register's EOT). The answer travels while the program sleeps its delay, so the least
// time an exchange can take is before + max(delay, answer) + after.
struct WireTime {
  double beforeMs = 0, answerMs = 0, afterMs = 0;
  double FloorMs(double delayMs) const { return beforeMs + std::max(delayMs, answerMs) + afterMs; }
};
inline WireTime ExchangeWireTime(const std::vector<uint8_t>& command,
                                 const std::vector<uint8_t>& answer, double byteMs) {
  return {(6 + BuildFrame(command).size()) * byteMs, BuildFrame(answer).size() * byteMs,
          2 * byteMs};
}

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

// Milliseconds that work() takes.
template <class Work>
double Millis(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The mean and the best of repeated runs.
struct RunStats {
  void Add(double ms) {
    best = count++ == 0 ? ms : std::min(best, ms);
    total += ms;
  }
  double Mean() const { return count ? total / count : 0; }
  int count = 0;
  double best = 0, total = 0;
};

// The virtual register paced at baud (unpaced when the environment has NOPACE).
inline emu::EmulatorOptions PacedOptions(int baud) {
  emu::EmulatorOptions options;
  options.wireSpeed = std::getenv("NOPACE") == nullptr;
  options.wireBaud = baud;
  return options;
}

// Starts the virtual register and opens the port on its pseudo-terminal; says why on failure.
inline bool StartAndOpen(test::EmulatedLink& rig, int baud) {
  if (rig.Start(BaudIndexFor(baud))) return true;
  std::fprintf(stderr, "%s\n", rig.error.c_str());
  return false;
}

}  // namespace ptk::bench
