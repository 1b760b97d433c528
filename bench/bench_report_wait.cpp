// The CPU a report wait costs: the virtual register prints an emergency report that takes
// the given time (30 s by default) while the program polls it with WaitReportEnd, one
// 100 ms pause and one state-code exchange per poll. Prints the polls and the CPU time of
// the waiting thread and of the whole process (the register's thread included) as a share
// of one core over the wall time of the wait.
// Usage: bench_report_wait [seconds] [baud]   (NOPACE=1: no wire pacing)
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench_common.h"
#include "core/link/clock.h"
#include "core/link/frame_exchange.h"
#include "core/reports/report_wait.h"
#include "core/settings/config.h"
#include "core/shell/modes.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"
#include "emulator/protocol_engine.h"
#include "emulator/virtual_register.h"

#ifdef _WIN32
// The virtual register needs a POSIX pseudo-terminal.
int main() {
  std::fprintf(stderr, "bench_report_wait: the virtual register needs a POSIX pseudo-terminal\n");
  return 1;
}
#else
#ifndef RUSAGE_THREAD
#define RUSAGE_THREAD RUSAGE_SELF  // no per-thread figure: the process's
#endif

namespace {

using namespace ptk;
using bench::ParseArgs;
using bench::QuietUi;
using Steady = std::chrono::steady_clock;

double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  long secondsArg = 30, baudArg = 115200;
  const int usage =
      ParseArgs(argc, argv, "usage: bench_report_wait [seconds] [baud]",
                {{"seconds", 1, 3600, secondsArg}, {"baud", 0, 115200, baudArg, true}});
  if (usage >= 0) return usage;
  const int seconds = static_cast<int>(secondsArg);
  const int baud = static_cast<int>(baudArg);
  emu::EmulatorOptions options = bench::PacedOptions(baud);
  options.faults = "reporttime=" + std::to_string(seconds * 1000);
  QuietUi ui(Answer::Yes);
  test::EmulatedLink rig(ui, options);
  if (!bench::StartAndOpen(rig, baud)) return 1;
  Link& link = rig.link;
  if (ExitMode(link) != 1 || EnterMode(link, 5, "00000000") != 1 ||
      Fiscalize(link, "77", "123", "00000000") != 1) {
    std::fprintf(stderr, "cannot fiscalise the virtual register\n");
    return 1;
  }

  UserAbort abort;
  const uint64_t commandsBefore = rig.host.Stats().commandsExecuted;
  const double processBefore = CpuSeconds(RUSAGE_SELF);
  const double threadBefore = CpuSeconds(RUSAGE_THREAD);
  const Steady::time_point start = Steady::now();
  const ReportEnd end = RunEmergencyReport(link, abort);
  const double wall = std::chrono::duration<double>(Steady::now() - start).count();
  const double process = CpuSeconds(RUSAGE_SELF) - processBefore;
  const double thread = CpuSeconds(RUSAGE_THREAD) - threadBefore;
  const uint64_t polls = rig.host.Stats().commandsExecuted - commandsBefore - 1;
  if (end != ReportEnd::Finished) {
    std::fprintf(stderr, "the report wait ended with %d\n", static_cast<int>(end));
    return 1;
  }
  std::printf("report of %d s at %d bit/s%s: wait %.2f s, %llu polls (%.1f ms each)\n", seconds,
              baud, options.wireSpeed ? "" : " (no pacing)", wall,
              static_cast<unsigned long long>(polls), polls ? wall * 1000 / polls : 0.0);
  std::printf("CPU of the waiting thread: %.3f s = %.2f %% of a core (goal < 2 %%)\n", thread,
              100 * thread / wall);
  std::printf("CPU of the process (register included): %.3f s = %.2f %% of a core\n", process,
              100 * process / wall);
  return 0;
}
#endif
