// Fault soak of the link: many exchanges of every kind the link has (the answered frame
// exchange, the plain delivery, the compact command path) against the virtual register
// over a real pseudo-terminal, each after one random fault. An oracle derived from the
// fault alone gives the expected result, boxes and result line; the run also bounds every
// exchange's time and the growth of resident memory.
//
// Environment: PTK_SOAK_EXCHANGES (default 300), PTK_SOAK_SEED (default: from the clock;
// printed either way, so that a failing run can be repeated).
//
// The limits are short, so a loaded machine (both cores busy with other work) can change
// an outcome: it may stop this process, or deliver the bytes of a pseudo-terminal late
// (the kernel hands them over in a worker thread of its own, shared by every terminal).
// An exchange that mismatches or overruns while a watcher thread saw either stall is made
// again with the same fault, up to four times, and counted apart; one that fails without a
// stall, or five times, fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/link/result_codes.h"
#include "core/link/serial_device.h"
#include "core/link/serial_port.h"
#include "core/reports/device_state.h"
#include "emulator/emulator_host.h"
#include "emulator/faults.h"
#include "emulator/virtual_register.h"
#include "support/emulated_link.h"
#include "support/recording_ui.h"

#ifndef _WIN32
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace ptk {
namespace {

using Steady = std::chrono::steady_clock;

// The PC's time limits, a tenth of the usual ones (T6 far less: no command here works
// long), and the register's own waits divided alike.
constexpr Timeouts kScaled{50, 50, 200, 50, 100, 250, 120};
constexpr uint32_t kRegisterDivisor = 20;
// Every exchange's own work on top of the limits it waits out (a loaded machine).
constexpr uint32_t kSlackMs = 300;
// Margins that keep every fault clearly on one side of the limit it plays against.
constexpr uint32_t kWithinDelayMax = kScaled.t6 / 3;
constexpr uint32_t kBeyondDelay = kScaled.t6 + 200;
constexpr uint32_t kWithinPauseMax = kScaled.t7 / 3;
constexpr uint32_t kBeyondPause = kScaled.t7 * 3;
// The compact path's fixed limits that a fault makes it wait out.
constexpr uint32_t kDirectPauseMax = kDirectByteMs / 4;
// A stall this long (a pseudo-terminal byte takes well under a millisecond on a quiet
// machine) marks a loaded machine, on which the 50 ms limits may change an outcome.
constexpr double kStallMs = 10;
constexpr int kAttemptsAfterStall = 5;

constexpr std::string_view kNoErrors = " 00 - Ошибок нет. Команда выполнена.";

enum class Route { WithAnswer, NoAnswer, Direct };

enum class Kind {
  None,
  NakRun,         // a few NAKs: the frame is sent again
  NakRefusal,     // every frame refused: 100 attempts
  BadCheck,       // a few corrupted answers: read again
  BadCheckLimit,  // six corrupted answers: given up
  Silence,        // a few ENQs unanswered
  SilenceLimit,   // the give-up count of unanswered ENQs
  LostAnswer,     // executed, the answer transfer never opens
  LateWithin,     // the answer opens late, within T6
  LateBeyond,     // ... after T6
  PauseWithin,    // a pause inside the answer frame, within T7
  PauseBeyond,    // ... longer than T7
  ResultCode,     // the register answers an error result code
  PrinterFlag,    // a printer flag: refused prints, flags in the state code
};

constexpr std::array kKindNames = {"none",           "nak-run",     "nak-refusal",   "badcheck",
                                   "badcheck-limit", "silence",     "silence-limit", "lost-answer",
                                   "late-within",    "late-beyond", "pause-within",  "pause-beyond",
                                   "result-code",    "printer-flag"};
constexpr std::array kRouteNames = {"answer", "no-answer", "direct"};

struct Command {
  uint8_t code;
  int allowShort;
  int answerLength;
  uint8_t text = 0;  // one byte of text for a print, 0: no parameters
};

// Commands that leave the register's state as it was.
constexpr Command kStateCode{0x45, 1, 32};
constexpr Command kState{0x3F, 1, 64};
constexpr Command kDeviceType{0xA5, 1, 64};
constexpr Command kLeaveMode{0x52, 0, 6};
constexpr Command kExtended{0xE0, 0, 6};  // not in this register: 0x7A
constexpr Command kPrintLine{0x5E, 0, 6, 0x41};
constexpr uint8_t kBeep = 0x47;

struct Printer {
  const char* fault;
  uint8_t refusal;  // the result code of a print
  uint8_t StateCode::*flag;
};
constexpr Printer kPrinterFlags[] = {{"nopaper", 0x67, &StateCode::noPaper},
                                     {"nolink", 0x68, &StateCode::noPrinterLink},
                                     {"coveropen", 0x69, &StateCode::coverOpen},
                                     {"noroll", 0x67, &StateCode::noRoll}};

// The compact path's error for a result code.
int DirectErrorFor(uint8_t code) {
  switch (code) {
    case 0x00:
      return 0;
    case 0x16:
      return direct_error::kNeedsConfirmation;
    case 0x88:
      return direct_error::kShiftTooLong;
    case 0x8C:
      return direct_error::kWrongPassword;
    case 0x66:
      return direct_error::kWrongMode;
    case 0x67:
      return direct_error::kNoPaper;
  }
  return static_cast<int>(0x80000000u + code);
}

// One exchange to make: route, command, fault, and what must come of it.
struct Plan {
  Route route = Route::WithAnswer;
  Command command = kStateCode;
  Kind kind = Kind::None;
  std::string faults;        // the register's fault list for this exchange
  int result = kExchangeOk;  // the compact path: its error code
  std::vector<std::string> boxes;
  std::string rezult;
  const Printer* printer = nullptr;  // the flag the state code must show
  uint32_t boundMs = 0;
};

class Planner {
 public:
  explicit Planner(uint32_t seed) : random_(seed) {}

  Plan Next() {
    Plan p;
    const int r = Pick(100);
    p.route = r < 74 ? Route::WithAnswer : r < 88 ? Route::NoAnswer : Route::Direct;
    switch (p.route) {
      case Route::WithAnswer:
        PlanWithAnswer(p);
        break;
      case Route::NoAnswer:
        PlanNoAnswer(p);
        break;
      case Route::Direct:
        PlanDirect(p);
        break;
    }
    return p;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }

  // Weighted choice of a fault kind among the ones a route can meet.
  Kind Choose(std::initializer_list<std::pair<Kind, int>> weights) {
    int total = 0;
    for (const auto& w : weights) total += w.second;
    int x = Pick(total);
    for (const auto& w : weights) {
      if (x < w.second) return w.first;
      x -= w.second;
    }
    return Kind::None;
  }

  static void Fails(Plan& p, std::string_view box, int result = kExchangeLinkFailure) {
    p.result = result;
    p.boxes = {std::string(box)};
    p.rezult.clear();
  }

  void PlanWithAnswer(Plan& p) {
    const Command plain[] = {kStateCode, kState, kDeviceType, kLeaveMode, kExtended};
    p.command = plain[Pick(5)];
    p.kind = Choose({{Kind::None, 10},
                     {Kind::NakRun, 10},
                     {Kind::NakRefusal, 1},
                     {Kind::BadCheck, 10},
                     {Kind::BadCheckLimit, 4},
                     {Kind::Silence, 6},
                     {Kind::SilenceLimit, 1},
                     {Kind::LostAnswer, 2},
                     {Kind::LateWithin, 8},
                     {Kind::LateBeyond, 2},
                     {Kind::PauseWithin, 8},
                     {Kind::PauseBeyond, 2},
                     {Kind::ResultCode, 10},
                     {Kind::PrinterFlag, 8}});
    const bool extended = p.command.code == kExtended.code;
    // Success: the code's message, or nothing for the command the register lacks.
    p.result = extended ? kExchangeNotSupported : kExchangeOk;
    p.rezult = extended ? "" : std::string(kNoErrors);
    uint32_t waits = 0;
    switch (p.kind) {
      case Kind::None:
        break;
      case Kind::NakRun: {
        const int n = Between(1, 12);
        p.faults = "nak=" + std::to_string(n);
        waits = 5 * n;
        break;
      }
      case Kind::NakRefusal:
        // 100 refusals, EOT, and no answer transfer within T6.
        p.faults = "nak=100";
        Fails(p, kTextNoAnswer);
        waits = 100 * 5 + kScaled.t6;
        break;
      case Kind::BadCheck: {
        const int n = Between(1, 5);
        p.faults = "badcheck=" + std::to_string(n);
        waits = 5 * n;
        break;
      }
      case Kind::BadCheckLimit:
        p.faults = "badcheck=6";
        Fails(p, kTextChecksumError, kExchangeChecksumError);
        waits = 30;
        break;
      case Kind::Silence: {
        const int n = Between(1, 3);
        p.faults = "silent=" + std::to_string(n);
        waits = n * (kScaled.t2 + 5);
        break;
      }
      case Kind::SilenceLimit:
        p.faults = "silent=5";
        Fails(p, kTextNoLink);
        waits = 5 * (kScaled.t2 + 5);
        break;
      case Kind::LostAnswer:
        p.faults = "noanswer=1";
        Fails(p, kTextNoAnswer);
        waits = kScaled.t6;
        break;
      case Kind::LateWithin: {
        const uint32_t ms = Between(1, kWithinDelayMax);
        p.faults = "delay=" + std::to_string(ms) + "/1";
        waits = ms;
        break;
      }
      case Kind::LateBeyond:
        p.faults = "delay=" + std::to_string(kBeyondDelay) + "/1";
        Fails(p, kTextNoAnswer);
        waits = kScaled.t6;
        break;
      case Kind::PauseWithin: {
        const uint32_t ms = Between(3, kWithinPauseMax);
        p.faults = "pause=" + std::to_string(ms) + "/1";
        waits = ms;
        break;
      }
      case Kind::PauseBeyond:
        // The frame stops half-way for longer than T7: the reading ends without a whole
        // frame, and the rest arriving later is no answer either.
        p.faults = "pause=" + std::to_string(kBeyondPause) + "/1";
        Fails(p, kTextNoAnswer);
        waits = 2 * kScaled.t7 + kScaled.t5;
        break;
      case Kind::ResultCode: {
        p.command = Pick(2) == 0 ? kStateCode : kLeaveMode;
        if (Pick(4) == 0) p.command = kExtended;
        static constexpr uint8_t kCodes[] = {0x00, 0x16, 0x66, 0x67, 0x8C,
                                             0x9B, 0x46, 0x7A, 0xC5, 0xFF};
        const uint8_t code = kCodes[Pick(std::size(kCodes))];
        char spec[32];
        std::snprintf(spec, sizeof spec, "code=%02X:%02X/1", p.command.code, code);
        p.faults = spec;
        const std::string text(ResultCodeText(code));
        // A forced 00 lets the command run as usual: 0xE0 still meets 0x7A.
        if (p.command.code == kExtended.code && (code == 0x7A || code == 0x46 || code == 0x00)) {
          p.result = kExchangeNotSupported;
          p.rezult.clear();
        } else if (code == 0x00) {
          p.result = kExchangeOk;
          p.rezult = text;
        } else {
          p.result = kExchangeDeviceError;
          p.rezult = text;
          if (code != 0x16) p.boxes = {text};
        }
        break;
      }
      case Kind::PrinterFlag: {
        p.printer = &kPrinterFlags[Pick(std::size(kPrinterFlags))];
        p.faults = p.printer->fault;
        if (Pick(2) == 0) {
          p.command = kStateCode;
          p.result = kExchangeOk;
          p.rezult = kNoErrors;
        } else {
          // A print refused before anything reaches the paper.
          const std::string text(ResultCodeText(p.printer->refusal));
          p.command = kPrintLine;
          p.printer = nullptr;
          p.result = kExchangeDeviceError;
          p.rezult = text;
          p.boxes = {text};
        }
        break;
      }
    }
    p.boundMs = kSlackMs + waits;
  }

  void PlanNoAnswer(Plan& p) {
    p.command = Command{kBeep, 0, 0};
    p.kind = Choose({{Kind::None, 10},
                     {Kind::NakRun, 10},
                     {Kind::NakRefusal, 2},
                     {Kind::Silence, 3},
                     {Kind::SilenceLimit, 1},
                     {Kind::PrinterFlag, 3}});
    p.result = kExchangeOk;
    uint32_t waits = 0;
    switch (p.kind) {
      case Kind::NakRun: {
        const int n = Between(1, 12);
        p.faults = "nak=" + std::to_string(n);
        waits = 5 * n;
        break;
      }
      case Kind::NakRefusal:
        // 100 refusals: the line is still closed with EOT, and the box says no link.
        p.faults = "nak=100";
        Fails(p, kTextNoLink);
        waits = 100 * 5;
        break;
      case Kind::Silence: {
        const int n = Between(1, 6);
        p.faults = "silent=" + std::to_string(n);
        waits = n * (kScaled.t2 + 5);
        break;
      }
      case Kind::SilenceLimit:
        // The plain delivery gives up on the twentieth unanswered ENQ.
        p.faults = "silent=20";
        Fails(p, kTextNoLink);
        waits = 20 * (kScaled.t2 + 5);
        break;
      case Kind::PrinterFlag:
        // The beep prints nothing: the flags change nothing.
        p.faults = kPrinterFlags[Pick(std::size(kPrinterFlags))].fault;
        break;
      default:
        break;
    }
    p.boundMs = kSlackMs + waits;
  }

  void PlanDirect(Plan& p) {
    p.command = Pick(2) == 0 ? kStateCode : kDeviceType;
    p.kind = Choose({{Kind::None, 10},
                     {Kind::NakRun, 1},
                     {Kind::BadCheck, 6},
                     {Kind::Silence, 1},
                     {Kind::LateWithin, 6},
                     {Kind::PauseWithin, 6},
                     {Kind::ResultCode, 8},
                     {Kind::PrinterFlag, 6}});
    p.result = 0;
    uint32_t waits = 0;
    switch (p.kind) {
      case Kind::NakRun:
        // The compact path does not send a refused frame again: it waits for an ACK
        // that does not come.
        p.faults = "nak=1";
        p.result = direct_error::kTransfer;
        waits = kDirectReplyMs;
        break;
      case Kind::BadCheck:
        p.faults = "badcheck=1";
        p.result = direct_error::kChecksum;
        break;
      case Kind::Silence:
        p.faults = "silent=1";
        waits = kDirectHandshakeMs;
        break;
      case Kind::LateWithin: {
        const uint32_t ms = Between(1, 100);
        p.faults = "delay=" + std::to_string(ms) + "/1";
        waits = ms;
        break;
      }
      case Kind::PauseWithin: {
        const uint32_t ms = Between(3, kDirectPauseMax);
        p.faults = "pause=" + std::to_string(ms) + "/1";
        waits = ms;
        break;
      }
      case Kind::ResultCode: {
        p.command = kStateCode;
        static constexpr uint8_t kCodes[] = {0x00, 0x16, 0x66, 0x67, 0x88, 0x8C, 0x9B, 0xC5};
        const uint8_t code = kCodes[Pick(std::size(kCodes))];
        char spec[32];
        std::snprintf(spec, sizeof spec, "code=45:%02X/1", code);
        p.faults = spec;
        p.result = DirectErrorFor(code);
        break;
      }
      case Kind::PrinterFlag:
        p.command = kStateCode;
        p.printer = &kPrinterFlags[Pick(std::size(kPrinterFlags))];
        p.faults = p.printer->fault;
        break;
      default:
        break;
    }
    p.boundMs = kSlackMs + waits;
  }

  std::mt19937 random_;
};

// Watches for stalls of the machine: a thread that, a millisecond at a time, sends a byte
// through a pseudo-terminal of its own and sleeps, and keeps the longest delivery or
// oversleep since the last Take().
class StallWatch {
 public:
  StallWatch() {
#ifndef _WIN32
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave_, nullptr, &raw, nullptr) != 0) master_ = slave_ = -1;
#endif
    thread_ = std::thread([this] { Watch(); });
  }
  ~StallWatch() {
    stop_ = true;
    thread_.join();
#ifndef _WIN32
    for (int fd : {master_, slave_})
      if (fd >= 0) close(fd);
#endif
  }
  // The longest stall (ms) since the last call, the one still going on included (a look
  // that has not come back yet is late by how long it has taken beyond its millisecond).
  double Take() {
    const int64_t going = Micros(Steady::now()) - lookStartUs_ - 1000;
    return static_cast<double>(std::max(longestUs_.exchange(0), going)) / 1000;
  }

 private:
  static int64_t Micros(Steady::time_point t) {
    return std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count();
  }
  void Watch() {
    const auto since = [](Steady::time_point before) {
      return std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - before).count();
    };
    while (!stop_) {
      lookStartUs_ = Micros(Steady::now());
      int64_t late = 0;
#ifndef _WIN32
      if (master_ >= 0) {
        const Steady::time_point sent = Steady::now();
        const uint8_t b = 0;
        pollfd p{master_, POLLIN, 0};
        uint8_t got[16];
        if (write(slave_, &b, 1) == 1) {
          // Late as long as the byte took, or the whole second when it did not come.
          if (poll(&p, 1, 1000) == 1) {
            [[maybe_unused]] const ssize_t n = read(master_, got, sizeof got);
          }
          late = since(sent);
        }
      }
#endif
      const Steady::time_point before = Steady::now();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      late = std::max<int64_t>(late, since(before) - 1000);
      int64_t longest = longestUs_;
      while (late > longest && !longestUs_.compare_exchange_weak(longest, late)) {
      }
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<int64_t> longestUs_{0};
  std::atomic<int64_t> lookStartUs_{Micros(Steady::now())};
  int master_ = -1;
  int slave_ = -1;
  std::thread thread_;
};

// Resident memory in bytes.
size_t ResidentBytes() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  unsigned long size = 0, resident = 0;
  const int n = std::fscanf(f, "%lu %lu", &size, &resident);
  std::fclose(f);
  return n == 2 ? resident * 4096 : 0;
}

// A decimal number from the environment within [low, high], fallback when unset or empty;
// anything else (letters, a sign, out of range) is refused, not read as 0 or wrapped.
std::optional<uint32_t> EnvNumber(const char* name, uint32_t fallback, uint32_t low,
                                  uint32_t high) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  const std::string_view s(text);
  uint32_t v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || v < low || v > high) {
    ADD_FAILURE() << name << "=" << s << ": expected a number from " << low << " to " << high;
    return std::nullopt;
  }
  return v;
}

std::string Join(const std::vector<std::string>& items) {
  std::string s = "{";
  for (size_t i = 0; i < items.size(); ++i) s += (i ? ", \"" : "\"") + items[i] + "\"";
  return s + "}";
}

TEST(LinkSoak, EveryFaultEndsAsTheLinkDefinesInBoundedTime) {
  const std::optional<uint32_t> exchangesSet = EnvNumber("PTK_SOAK_EXCHANGES", 300, 1, 100000000);
  const std::optional<uint32_t> verboseSet = EnvNumber("PTK_SOAK_VERBOSE", 0, 0, UINT32_MAX);
  const std::optional<uint32_t> seedSet =
      EnvNumber("PTK_SOAK_SEED", static_cast<uint32_t>(Steady::now().time_since_epoch().count()), 0,
                UINT32_MAX);
  if (!exchangesSet || !verboseSet || !seedSet) return;  // said above
  const uint32_t exchanges = *exchangesSet;
  const bool verbose = *verboseSet != 0;
  const uint32_t seed = *seedSet;
  std::printf("soak: %u exchanges, seed %u (PTK_SOAK_SEED=%u repeats it)\n", exchanges, seed, seed);

  emu::EmulatorOptions options;
  options.lineLimitsDivisor = kRegisterDivisor;
  test::RecordingUi ui;
  test::EmulatedLink rig(ui, options);
  ASSERT_TRUE(rig.Start()) << rig.error;
  emu::EmulatorHost& host = rig.host;
  SerialPort& port = rig.port;
  Settings& settings = rig.settings;
  Link& link = rig.link;

  Planner planner(seed);
  std::map<std::string, std::pair<int, double>> byKind;  // count, milliseconds
  std::map<std::pair<Route, uint8_t>, size_t> answerLengths;
  int mismatches = 0;
  int overruns = 0;
  int repeated = 0;  // made again after a stall of the process
  double longestStall = 0;
  StallWatch stalls;
  double worstRatio = 0;
  std::string worst;
  const uint32_t warmUp = std::max<uint32_t>(50, exchanges / 10);
  size_t residentAfterWarmUp = 0;
  const Steady::time_point runStart = Steady::now();

  for (uint32_t i = 0; i < exchanges; ++i) {
    if (i == warmUp) residentAfterWarmUp = ResidentBytes();
    const Plan plan = planner.Next();
    for (int attempt = 1;; ++attempt) {
      // Every exchange starts from a quiet line, with only its own fault armed.
      ASSERT_TRUE(host.WaitLineQuiet(5000)) << "the register did not fall silent, exchange " << i;
      host.WithRegister([&](emu::VirtualRegister& r) {
        r.faults().Clear();
        std::string error;
        ASSERT_TRUE(emu::ApplyFaultSpec(plan.faults, r.faults(), &error)) << error;
      });
      port.PurgePort();
      ui.boxes.clear();
      ui.resultHistory.clear();
      ui.result.clear();
      std::pair<int, double>& tally =
          byKind[std::string(kRouteNames[static_cast<int>(plan.route)]) + " " +
                 kKindNames[static_cast<int>(plan.kind)]];
      ++tally.first;

      int result = 0;
      std::array<uint8_t, kDirectAreaSize> answer{};
      size_t answerLength = answer.size();
      std::vector<uint8_t> params;
      if (plan.command.text != 0) params.push_back(plan.command.text);
      const std::vector<uint8_t> frame = link.CommandFrame(plan.command.code, params);
      stalls.Take();
      const Steady::time_point start = Steady::now();
      switch (plan.route) {
        case Route::WithAnswer:
          result = link.ExchangeWithAnswer(frame, plan.command.allowShort,
                                           plan.command.answerLength, 1, kScaled, 0);
          break;
        case Route::NoAnswer:
          result = link.ExchangeNoAnswer(frame, kScaled);
          break;
        case Route::Direct:
          result =
              DirectCommand(port, settings, plan.command.code, {}, answer.data(), &answerLength);
          // Its last phase's read time-out stays on the port until the port is configured
          // again; the short limits of the answered exchange assume the byte time-out.
          port.ConfigurePort(4);
          break;
      }
      const double ms = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
      const double stall = stalls.Take();
      longestStall = std::max(longestStall, stall);
      tally.second += ms;

      std::ostringstream what;
      what << "exchange " << i << " (" << kRouteNames[static_cast<int>(plan.route)] << " "
           << std::hex << int(plan.command.code) << std::dec << ", fault \"" << plan.faults
           << "\")";
      bool ok = result == plan.result && ui.BoxTexts() == plan.boxes && ui.result == plan.rezult;
      std::string flagNote;
      if (ok && plan.printer) {
        const StateCode s =
            plan.route == Route::Direct
                ? StateCode{0, uint8_t(answer[2] & 1), uint8_t((answer[2] >> 1) & 1),
                            uint8_t((answer[2] >> 2) & 1), uint8_t((answer[2] >> 3) & 1)}
                : DecodeStateCode(link.AnswerBuffer, link.AnswerLength);
        if (s.*(plan.printer->flag) != 1) {
          ok = false;
          flagNote = " the state code does not show " + std::string(plan.printer->fault);
        }
      }
      // A whole answer of the same command has the same length whatever fault came before
      // it: a frame cut or run together by a fault must not pass for an answer.
      const bool answered = plan.route == Route::Direct
                                ? result == 0
                                : plan.route == Route::WithAnswer && result == kExchangeOk;
      if (ok && answered) {
        const size_t length =
            plan.route == Route::Direct ? answerLength : static_cast<size_t>(link.AnswerLength);
        const auto [known, inserted] =
            answerLengths.emplace(std::make_pair(plan.route, plan.command.code), length);
        if (!inserted && known->second != length) {
          ok = false;
          flagNote = " the answer is " + std::to_string(length) + " bytes long, not " +
                     std::to_string(known->second);
        }
      }
      if ((!ok || ms > plan.boundMs) && stall > kStallMs && attempt < kAttemptsAfterStall) {
        ++repeated;
        if (verbose)
          std::printf("%s: %d in %.1f ms after a stall of %.1f ms, made again\n",
                      what.str().c_str(), result, ms, stall);
        continue;
      }
      what << " (longest stall " << stall << " ms)";
      if (!ok) {
        ++mismatches;
        ADD_FAILURE() << what.str() << ": result " << result << " boxes " << Join(ui.BoxTexts())
                      << " rezult \"" << ui.result << "\"; expected " << plan.result << " "
                      << Join(plan.boxes) << " \"" << plan.rezult << "\"" << flagNote;
      }
      const double ratio = ms / plan.boundMs;
      if (ratio > worstRatio) {
        worstRatio = ratio;
        std::ostringstream w;
        w << what.str() << ": " << ms << " ms against " << plan.boundMs << " ms";
        worst = w.str();
      }
      if (verbose) std::printf("%s: %d in %.1f ms\n", what.str().c_str(), result, ms);
      if (ms > plan.boundMs) {
        ++overruns;
        ADD_FAILURE() << what.str() << " took " << ms << " ms, bound " << plan.boundMs << " ms";
      }
      break;
    }
  }
  host.WithRegister([](emu::VirtualRegister& r) { r.faults().Clear(); });
  const size_t residentAtEnd = ResidentBytes();
  const double seconds = std::chrono::duration<double>(Steady::now() - runStart).count();

  std::printf("soak: %u exchanges in %.1f s, %d mismatches, %d over their bound\n", exchanges,
              seconds, mismatches, overruns);
  std::printf("soak: %d exchanges made again after a stall of the machine (longest %.1f ms)\n",
              repeated, longestStall);
  std::printf("soak: faults by kind:\n");
  for (const auto& [kind, tally] : byKind)
    std::printf("  %-28s %6d  %8.1f s\n", kind.c_str(), tally.first, tally.second / 1000);
  std::printf("soak: slowest against its bound: %.2f, %s\n", worstRatio, worst.c_str());
  if (residentAfterWarmUp > 0) {
    const double growth =
        100.0 * (double(residentAtEnd) - double(residentAfterWarmUp)) / double(residentAfterWarmUp);
    std::printf("soak: resident memory %zu KiB after %u exchanges, %zu KiB at the end (%+.1f %%)\n",
                residentAfterWarmUp / 1024, warmUp, residentAtEnd / 1024, growth);
    EXPECT_LE(growth, 10.0) << "resident memory grew beyond 10 %";
  }
  std::fflush(stdout);
}

}  // namespace
}  // namespace ptk
