// ptk-emulator: the virtual register on a pseudo-terminal. Prints the slave device path
// alone on the first line (with --card the card reader's on the second), then serves
// until SIGINT or SIGTERM.
#include <charconv>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "core/link/direct_command.h"
#include "core/link/trace_replay.h"
#include "emulator/emulator_host.h"
#include "emulator/faults.h"
#include "emulator/protocol_engine.h"
#include "emulator/replay_host.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) {
  g_stop = 1;
}

void PrintHelp(std::ostream& out) {
  out << "Usage: ptk-emulator [--state FILE] [--tape FILE] [--faults SPEC]\n"
         "                    [--wire-speed [BAUD]] [--model N] [--card TEXT]\n"
         "                    [--firmware-size BYTES[,FPBYTES]] [--help]\n"
         "       ptk-emulator --replay TRACE [--replay-timing]\n"
         "\n"
         "Runs the virtual register on a pseudo-terminal: prints the device path of its\n"
         "slave side alone on the first line of standard output, then serves until\n"
         "interrupted (SIGINT or SIGTERM; the state is saved when --state is given).\n"
         "\n"
         "  --state FILE        load the register's state from FILE (when it exists) and\n"
         "                      save it there on exit (written atomically); a file that\n"
         "                      cannot be read or holds a value out of range: the line\n"
         "                      on standard error and exit status 2\n"
         "  --tape FILE         append every printed line to FILE as UTF-8 text\n"
         "  --faults SPEC       switch on faults (below)\n"
         "  --wire-speed [BAUD] pace the bytes at the line speed (default 115200 bit/s)\n"
         "  --model N           report model code N (default "
      << ptk::kModelCodeThird << "; known: " << ptk::kModelCodeFirst << ", "
      << ptk::kModelCodeSecond << ", " << ptk::kModelCodeThird
      << ")\n"
         "  --card TEXT         run a magnetic card reader on a second pseudo-terminal,\n"
         "                      printed alone on the second line; every time the program\n"
         "                      reads it (opens it and discards its queues) it sends\n"
         "                      TEXT and CR LF 100 ms later, e.g. ';4000001234567899=2512?'\n"
         "                      (an empty TEXT: a reader with no card)\n"
         "  --firmware-size BYTES[,FPBYTES]\n"
         "                      sizes of the firmware images of the control block and\n"
         "                      of the fiscal-memory block, 0 < size < 16777216\n"
         "                      (default 65536,2048); read with ptk-cli firmware\n"
         "  --replay TRACE      be the register of a recorded session instead: answer each\n"
         "                      transfer of the program with what the line trace TRACE\n"
         "                      (ptk-tester --trace) recorded after it; a transfer that\n"
         "                      differs ends the replay (\"replay diverged at exchange N:\n"
         "                      expected ... got ...\" on standard error, exit status 4)\n"
         "  --replay-timing     with --replay: keep the recorded gaps\n"
         "\n"
         "Defaults:\n"
         "  communication password 7391 (table 2, row 1, field 23)\n"
         "  user passwords: row r of table 3 holds r as eight digits:\n"
         "    cashiers 1..28 \"00000001\"..\"00000028\", administrator \"00000029\",\n"
         "    system administrator \"00000030\"\n"
         "  mode 1 accepts any user; modes 2 and 3 rows 29 or 30; modes 4 and 6 row 30;\n"
         "  mode 5 the fiscal-memory password \"00000000\"\n"
         "  a command the register does not have is answered with result code 7A\n"
         "\n"
         "Faults:\n"
      << ptk::emu::FaultSyntaxHelp();
}

bool ParseInt(std::string_view text, int& value) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size();
}

int Usage(const std::string& message) {
  std::cerr << "ptk-emulator: " << message << " (see --help)\n";
  return 2;
}

#ifndef _WIN32
// The register of a recorded session until SIGINT or SIGTERM: 0, 4 when the program left
// the trace, 2 for a trace that cannot be read, 1 when there is no pseudo-terminal.
int Replay(const std::string& path, bool timing, const sigset_t& waitMask) {
  std::string error;
  std::optional<std::vector<ptk::TraceEvent>> events = ptk::ReadTraceFile(path, &error);
  if (!events) {
    std::cerr << "ptk-emulator: cannot read the trace " << path << ": " << error << "\n";
    return 2;
  }
  ptk::emu::ReplayHost host(std::move(*events), timing);
  host.onDivergence = [](const std::string& divergence) { std::cerr << divergence << std::endl; };
  if (!host.Start()) {
    std::cerr << "ptk-emulator: " << host.LastError() << "\n";
    return 1;
  }
  std::cout << host.SlavePath() << std::endl;
  while (!g_stop) sigsuspend(&waitMask);
  host.Stop();
  return host.Divergence().empty() ? 0 : 4;
}
#endif

}  // namespace

#ifdef _WIN32
// The virtual register serves a POSIX pseudo-terminal; on Windows use it from a Linux
// machine (or WSL) through a serial cable or a forwarded port.
int main() {
  std::cerr << "ptk-emulator: the virtual register needs a POSIX pseudo-terminal\n";
  return 1;
}
#else
int main(int argc, char** argv) {
  ptk::emu::EmulatorOptions options;
  std::string replayTrace;
  bool replayTiming = false;
  bool registerOptions = false;  // any option of the virtual register itself
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    registerOptions = registerOptions || (arg != "--replay" && arg != "--replay-timing");
    if (arg == "--help" || arg == "-h") {
      PrintHelp(std::cout);
      return 0;
    } else if (arg == "--replay") {
      if (!value(replayTrace)) return Usage("--replay needs a trace file");
    } else if (arg == "--replay-timing") {
      replayTiming = true;
    } else if (arg == "--state") {
      if (!value(options.stateFile)) return Usage("--state needs a file");
    } else if (arg == "--tape") {
      if (!value(options.tapeFile)) return Usage("--tape needs a file");
    } else if (arg == "--faults") {
      if (!value(options.faults)) return Usage("--faults needs a list of faults");
      ptk::emu::Faults check;
      std::string error;
      if (!ptk::emu::ApplyFaultSpec(options.faults, check, &error)) return Usage(error);
    } else if (arg == "--wire-speed") {
      options.wireSpeed = true;
      if (i + 1 < argc && argv[i + 1][0] != '-') {
        int baud = 0;
        if (!ParseInt(argv[i + 1], baud) || baud < 300 || baud > 4000000)
          return Usage(std::string("bad line speed: ") + argv[i + 1]);
        options.wireBaud = baud;
        ++i;
      }
    } else if (arg == "--model") {
      std::string text;
      int model = 0;
      if (!value(text) || !ParseInt(text, model) || model < 1 || model > 65535)
        return Usage("--model needs a number 1..65535");
      options.model = model;
    } else if (arg == "--firmware-size") {
      std::string text;
      if (!value(text)) return Usage("--firmware-size needs BYTES[,FPBYTES]");
      const size_t comma = text.find(',');
      int ptkSize = 0, fpSize = 0;
      const bool ok = ParseInt(text.substr(0, comma), ptkSize) &&
                      (comma == std::string::npos || ParseInt(text.substr(comma + 1), fpSize));
      if (!ok || ptkSize < 1 || ptkSize > 0xFFFFFF || fpSize < 0 || fpSize > 0xFFFFFF ||
          (comma != std::string::npos && fpSize == 0))
        return Usage("--firmware-size needs BYTES[,FPBYTES], each 1..16777215");
      options.ptkFirmwareSize = static_cast<uint32_t>(ptkSize);
      options.fpFirmwareSize = static_cast<uint32_t>(fpSize);
    } else if (arg == "--card") {
      if (!value(options.card)) return Usage("--card needs the card's text");
      options.cardReader = true;
    } else {
      return Usage("unknown option " + arg);
    }
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  // Block the stop signals (the serving thread inherits the mask) and wait for them in
  // sigsuspend, so that a signal cannot slip in between the test and the wait.
  sigset_t stopSignals, previous;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stopSignals, &previous);

  if (replayTiming && replayTrace.empty()) return Usage("--replay-timing goes with --replay");
  if (!replayTrace.empty()) {
    if (registerOptions) return Usage("--replay goes alone (with --replay-timing)");
    return Replay(replayTrace, replayTiming, previous);
  }

  ptk::emu::EmulatorHost host(options);
  if (!host.Start()) {
    std::cerr << "ptk-emulator: " << host.LastError() << "\n";
    // A state file it refuses is bad input, as a bad option is.
    return host.StateFileRefused() ? 2 : 1;
  }
  std::cout << host.SlavePath() << "\n";
  if (!host.CardReaderPath().empty()) std::cout << host.CardReaderPath() << "\n";
  std::cout << std::flush;
  while (!g_stop) sigsuspend(&previous);
  const uint64_t violations = host.Stats().lineViolations;
  host.Stop();
  std::cerr << "ptk-emulator: line-discipline violations: " << violations << "\n";
  return 0;
}
#endif
