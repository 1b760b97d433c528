// Exchanges of the program's link against the virtual register with wire pacing: each
// byte in either direction takes its ten bit times on the simulated line. For each
// command: time per exchange as a ratio to (wire time + the exchange's own delay), where
// wire time counts every byte of both transfers (ENQ, ACK, frames, EOT) at the line speed.
// Usage: bench_emulator [exchanges] [baud]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "core/link/clock.h"
#include "core/link/frame_exchange.h"
#include "core/link/framing.h"
#include "core/settings/config.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"

namespace {

using namespace ptk;
using bench::ParseArgs;
using bench::QuietUi;
using Bytes = std::vector<uint8_t>;

struct Case {
  const char* name;
  uint8_t code;
  Bytes params;
  int allowShort;
  int answerLength;
  int decodeResult;
  uint32_t delayMs;
};

}  // namespace

int main(int argc, char** argv) {
  long exchangesArg = 50, baudArg = 115200;
  const int usage =
      ParseArgs(argc, argv, "usage: bench_emulator [exchanges] [baud]",
                {{"exchanges", 1, 1000000, exchangesArg}, {"baud", 0, 115200, baudArg, true}});
  if (usage >= 0) return usage;
  const int exchanges = static_cast<int>(exchangesArg);
  const int baud = static_cast<int>(baudArg);

  emu::EmulatorOptions options = bench::PacedOptions(baud);
  QuietUi ui;
  test::EmulatedLink rig(ui, options);
  if (!bench::StartAndOpen(rig, baud)) return 1;
  Link& link = rig.link;

  const Case cases[] = {
      {"0x52 ExitMode (delay 0)", 0x52, {}, 0, 6, 1, 0},
      {"0x75 cut (delay 50)", 0x75, {0x00}, 0, 6, 1, 50},
      {"0x80 drawer (delay 100)", 0x80, {}, 0, 6, 1, 100},
      {"0x45 state code (delay 200)", 0x45, {}, 1, 55, 0, 200},
      {"0x3F device state (delay 200)", 0x3F, {}, 1, 55, 1, 200},
  };
  const double byteMs = 10.0 * 1000.0 / baud;
  std::printf("virtual register at %d bit/s (%.4f ms per byte), %d exchanges per command\n", baud,
              byteMs, exchanges);
  std::printf("%-32s %10s %10s %10s %8s\n", "command", "floor ms", "mean ms", "worst ms", "ratio");
  double worstRatio = 0;
  for (const Case& c : cases) {
    Bytes frame = link.CommandFrame(c.code, c.params);
    double total = 0, worst = 0, floorMs = 0;
    for (int i = 0; i < exchanges; ++i) {
      int result = 0;
      const double ms = bench::Millis([&] {
        result = link.ExchangeWithAnswer(frame, c.allowShort, c.answerLength, c.decodeResult,
                                         Timeouts{}, c.delayMs);
      });
      if (result != kExchangeOk) {
        std::fprintf(stderr, "%s: exchange failed (%d)\n", c.name, result);
        return 1;
      }
      // PC: ENQ, frame, EOT, ACK to the register's ENQ, ACK to its frame.
      // Register: ACK, ACK, ENQ, answer frame, EOT. The register sends its answer frame
      // while the PC sleeps its delay, so the two overlap: the least time the exchange
      // can take is the wire time up to the PC's ACK to the register's ENQ, then the
      // longer of the delay and the answer frame, then the PC's ACK and the EOT.
      Bytes answer(link.AnswerBuffer.begin() + 1,
                   link.AnswerBuffer.begin() + (link.AnswerLength - 2));
      floorMs = bench::ExchangeWireTime(frame, answer, byteMs).FloorMs(c.delayMs);
      total += ms;
      if (ms > worst) worst = ms;
    }
    double mean = total / exchanges;
    double ratio = mean / floorMs;
    if (ratio > worstRatio) worstRatio = ratio;
    std::printf("%-32s %10.3f %10.3f %10.3f %8.3f\n", c.name, floorMs, mean, worst, ratio);
  }
  std::printf("worst ratio %.3f (goal <= 1.05)\n", worstRatio);
  return 0;
}
