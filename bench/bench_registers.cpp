// The register manager's run (RunRegisterManager: 73 register reads) against the virtual
// register with wire pacing (each byte in either direction takes its ten bit times), after
// a short shift so that the registers hold values. Prints the run's time against
//   - the floor: 73 × (wire time + the 100 ms delay), every byte of every exchange on the
//     line plus the delay each read waits before reading its answer;
//   - the overlapped floor: the same, where the answer frame travels while the program
//     sleeps its delay (as in bench_emulator and bench_tables), which the run can reach.
// Usage: bench_registers [runs] [baud]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_common.h"
#include "core/link/clock.h"
#include "core/link/encoding.h"
#include "core/link/frame_exchange.h"
#include "core/link/framing.h"
#include "core/reports/register_manager.h"
#include "core/settings/config.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"
#include "emulator/virtual_register.h"

namespace {

using namespace ptk;
using bench::ParseArgs;
using bench::QuietUi;
using Bytes = std::vector<uint8_t>;

using bench::Cat;

// Cash in, a sale paid in cash, a return: every register then has something to say.
bool ShortShift(emu::VirtualRegister& r) {
  auto run = [&r](uint8_t code, const Bytes& params) {
    return r.Execute(Cat({{0x73, 0x91, code}, params})).payload.at(1) == 0x00;
  };
  const Bytes money = NumberToBcd(12345, 10), one = NumberToBcd(1000, 10);
  return run(0x56, Cat({{0x01}, PackBcd("00000001")})) &&
         run(0x49, Cat({{0x00}, NumberToBcd(500000, 10)})) && run(0x92, {0x00, 0x01}) &&
         run(0x48, Cat({{0x00}, money, one, {0x01}})) &&
         run(0x4A, Cat({{0x00, 0x01}, NumberToBcd(20000, 10)})) && run(0x92, {0x00, 0x02}) &&
         run(0x57, Cat({{0x00}, money, one})) && run(0x4A, Cat({{0x00, 0x01}, NumberToBcd(0, 10)}));
}

struct Floor {
  double literalMs = 0;     // wire time + delay, per read
  double overlappedMs = 0;  // the answer travelling during the delay
};

// Wire bytes of one exchange: ENQ, ACK, the command frame, ACK, EOT, the register's ENQ,
// the program's ACK; the answer frame; the program's ACK and the register's EOT.
Floor ModelRun(const Link& link, emu::EmulatorHost& host, double byteMs) {
  Floor f;
  for (const ManagerCommand& c : ManagerCommands()) {
    const Bytes command = ReadRegisterFrame(link, c.request);
    Bytes answer;
    host.WithRegister([&](emu::VirtualRegister& r) { answer = r.Execute(command).payload; });
    const bench::WireTime w = bench::ExchangeWireTime(command, answer, byteMs);
    f.literalMs += w.beforeMs + w.answerMs + w.afterMs + kRegisterDelayMs;
    f.overlappedMs += w.FloorMs(kRegisterDelayMs);
  }
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  long runsArg = 3, baudArg = 115200;
  const int usage = ParseArgs(argc, argv, "usage: bench_registers [runs] [baud]",
                              {{"runs", 1, 1000, runsArg}, {"baud", 0, 115200, baudArg, true}});
  if (usage >= 0) return usage;
  const int runs = static_cast<int>(runsArg);
  const int baud = static_cast<int>(baudArg);

  emu::EmulatorOptions options = bench::PacedOptions(baud);
  QuietUi ui;
  test::EmulatedLink rig(ui, options);
  bool shift = false;
  rig.host.WithRegister([&shift](emu::VirtualRegister& r) { shift = ShortShift(r); });
  if (!shift) {
    std::fprintf(stderr, "cannot shorten the shift of the virtual register\n");
    return 1;
  }
  if (!bench::StartAndOpen(rig, baud)) return 1;
  Link& link = rig.link;

  const double byteMs = 10.0 * 1000.0 / baud;
  bench::RunStats stats;
  RegisterGrid grid;
  for (int i = 0; i < runs; ++i) {
    UserAbort abort;
    int steps = 0, result = 0;
    const double ms = bench::Millis(
        [&] { result = RunRegisterManager(link, abort, grid, [&steps] { ++steps; }); });
    if (result != 1) {
      std::fprintf(stderr, "RunRegisterManager failed\n");
      return 1;
    }
    stats.Add(ms);
    std::printf("run %d: %d reads, %d gauge steps, %.1f ms\n", i + 1, kManagerCommandCount, steps,
                ms);
  }
  const Floor floor = ModelRun(link, rig.host, byteMs);
  const double mean = stats.Mean(), best = stats.best;
  std::printf("virtual register, %d bit/s: %d register reads; row 1 %s, row 53 %s\n", baud,
              kManagerCommandCount, grid.At(1, 1).c_str(), grid.At(53, 1).c_str());
  std::printf("floor %.1f ms (overlapped %.1f ms), mean %.1f ms, best %.1f ms\n", floor.literalMs,
              floor.overlappedMs, mean, best);
  std::printf("mean / floor %.3f (goal <= 1.1); mean / overlapped floor %.3f\n",
              mean / floor.literalMs, mean / floor.overlappedMs);
  return 0;
}
