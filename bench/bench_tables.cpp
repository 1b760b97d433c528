// ReadAllTables on the third model against the virtual register with wire pacing (each
// byte in either direction takes its ten bit times). Prints the run's time against
//   - the floor: every command's wire time plus its required delay, where the answer
//     frame travels while the program sleeps its delay (as in bench_emulator);
//   - the literal answer read: the same commands when the program reads each classic
//     answer as a fixed-length read that waits out T7 whenever the answer is shorter than
//     the length asked for (modelled from the same byte counts; running it would take
//     over a minute).
// Usage: bench_tables [runs] [baud]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "core/link/clock.h"
#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/link/framing.h"
#include "core/programming/table_fields.h"
#include "core/settings/config.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"

namespace {

using namespace ptk;
using bench::ParseArgs;
using bench::QuietUi;
using Bytes = std::vector<uint8_t>;

struct Model {
  double floorMs = 0;
  double literalMs = 0;
  int classic = 0, compact = 0, shortAnswers = 0;
};

// Wire bytes of one exchange: ENQ, ACK, the command frame, ACK, EOT, the register's ENQ,
// the program's ACK; the answer frame; the program's ACK and the register's EOT.
Model ModelRun(const Link& link, const TablesReadResult& result, double byteMs) {
  Model m;
  const Timeouts t;
  for (const FieldValue& v : result.values) {
    Bytes command;
    if (v.route == FieldRoute::Classic) {
      command = ReadFieldFrame(link, v.table, static_cast<uint8_t>(v.row), v.field);
    } else {
      command = link.CommandFrame(kCmdReadField, {v.table, static_cast<uint8_t>(v.row >> 8),
                                                  static_cast<uint8_t>(v.row & 0xFF), v.field});
    }
    Bytes answer = {0x55, 0x00};
    answer.insert(answer.end(), v.value.begin(), v.value.end());
    const bench::WireTime w = bench::ExchangeWireTime(command, answer, byteMs);
    if (v.route == FieldRoute::Classic) {
      ++m.classic;
      const Exchange a = ReadFieldCommand(link, v.table, static_cast<uint8_t>(v.row), v.field);
      m.floorMs += w.FloorMs(a.delayMs);
      const bool isShort = answer.size() + 3 < static_cast<size_t>(a.answerLength);
      if (isShort) ++m.shortAnswers;
      m.literalMs += w.beforeMs + a.delayMs +
                     (isShort ? std::max<double>(t.t7, w.answerMs) : w.answerMs) + w.afterMs;
    } else {
      ++m.compact;
      m.floorMs += w.FloorMs(0);
      m.literalMs += w.FloorMs(0);
    }
  }
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  long runsArg = 3, baudArg = 115200;
  const int usage = ParseArgs(argc, argv, "usage: bench_tables [runs] [baud]",
                              {{"runs", 1, 1000, runsArg}, {"baud", 0, 115200, baudArg, true}});
  if (usage >= 0) return usage;
  const int runs = static_cast<int>(runsArg);
  const int baud = static_cast<int>(baudArg);

  emu::EmulatorOptions options = bench::PacedOptions(baud);
  options.model = kModelCodeThird;
  QuietUi ui;
  test::EmulatedLink rig(ui, options);
  if (!bench::StartAndOpen(rig, baud)) return 1;
  Link& link = rig.link;
  if (IdentifyModel(link) != direct_error::kOk || CurrentModel().modelCode != kModelCodeThird) {
    std::fprintf(stderr, "the model identification failed\n");
    return 1;
  }

  const double byteMs = 10.0 * 1000.0 / baud;
  bench::RunStats stats;
  Model model;
  for (int i = 0; i < runs; ++i) {
    UserAbort abort;
    int steps = 0;
    TablesReadResult result;
    const double ms = bench::Millis(
        [&] { result = ReadAllTables(link, abort, CurrentModel().caps, [&steps] { ++steps; }); });
    if (result.status != kExchangeOk) {
      std::fprintf(stderr, "ReadAllTables failed (%d)\n", result.status);
      return 1;
    }
    model = ModelRun(link, result, byteMs);
    stats.Add(ms);
    std::printf("run %d: %zu fields, %d progress steps, %.1f ms\n", i + 1, result.values.size(),
                steps, ms);
  }
  const double mean = stats.Mean(), best = stats.best;
  std::printf(
      "virtual register, third model, %d bit/s: %d classic reads (%d short answers), "
      "%d compact reads\n",
      baud, model.classic, model.shortAnswers, model.compact);
  std::printf("floor %.1f ms, literal answer read %.1f ms, mean %.1f ms, best %.1f ms\n",
              model.floorMs, model.literalMs, mean, best);
  std::printf("mean / floor %.3f (goal <= 1.1); mean / literal read %.3f\n", mean / model.floorMs,
              mean / model.literalMs);
  return 0;
}
