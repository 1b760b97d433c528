// ReadFirmware of the control block from the virtual register with wire pacing (each byte
// in either direction takes its ten bit times). Prints the run's time against the floor:
// per next-block command the required one-second wait, then the command's wire time plus
// the larger of the 200 ms delay and the answer's wire time (the answer travels while the
// program sleeps its delay); plus the start command likewise.
// Usage: bench_firmware [bytes] [baud]   (default 2500 bytes: eleven blocks, about 13 s;
//        65536 bytes, 263 blocks, take about five and a half minutes)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_common.h"
#include "core/link/clock.h"
#include "core/link/framing.h"
#include "core/programming/firmware.h"
#include "core/settings/config.h"
#include "core/shell/modes.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"
#include "emulator/virtual_register.h"

namespace {

using namespace ptk;
using bench::ParseArgs;
using bench::QuietUi;
using Bytes = std::vector<uint8_t>;

double ExchangeFloorMs(const Bytes& command, const Bytes& answer, double byteMs) {
  return bench::ExchangeWireTime(command, answer, byteMs).FloorMs(kFirmwareDelayMs);
}

}  // namespace

int main(int argc, char** argv) {
  long requested = 2500, baudArg = 115200;
  const int usage = ParseArgs(argc, argv, "usage: bench_firmware [bytes] [baud]",
                              {{"bytes", 1, static_cast<long>(kFirmwareMaxSize), requested},
                               {"baud", 0, 115200, baudArg, true}});
  if (usage >= 0) return usage;
  const int baud = static_cast<int>(baudArg);
  const auto size = static_cast<uint32_t>(requested);

  emu::EmulatorOptions options = bench::PacedOptions(baud);
  options.ptkFirmwareSize = size;
  QuietUi ui;
  test::EmulatedLink rig(ui, options);
  if (!bench::StartAndOpen(rig, baud)) return 1;
  Link& link = rig.link;
  UserAbort abort;
  if (EnterFirmwareProgramming(link, abort) != kExchangeOk) {
    std::fprintf(stderr, "programming mode was not entered\n");
    return 1;
  }

  const std::string file =
      (std::filesystem::temp_directory_path() / "bench_firmware_PO_KKM.bin").string();
  int blocks = 0;
  FirmwareProgress progress;
  progress.advanced = [&blocks](uint64_t) { ++blocks; };
  FirmwareRead r;
  const double ms =
      bench::Millis([&] { r = ReadFirmware(link, abort, FirmwareSource::Ptk, file, progress); });
  std::filesystem::remove(file);
  ExitMode(link);
  if (r.status != kFirmwareComplete || r.written != size) {
    std::fprintf(stderr, "ReadFirmware failed (%d, %u of %u bytes)\n", r.status, r.written, size);
    return 1;
  }

  const double byteMs = options.wireSpeed ? 10.0 * 1000.0 / baud : 0.0;
  const Bytes password = {0x73, 0x91};
  auto command = [&password](std::initializer_list<uint8_t> rest) {
    Bytes c = password;
    c.insert(c.end(), rest);
    return c;
  };
  double floorMs =
      ExchangeFloorMs(command({kCmdFirmwareStart, 0x01}), {0x55, 0x00, 0, 0, 0}, byteMs);
  for (int b = 0; b < blocks; ++b) {
    Bytes answer = {0x55, 0x00};
    const uint32_t at = static_cast<uint32_t>(b) * kPtkFirmwareBlock;
    if (at < size) {
      for (uint32_t i = 0; i < kPtkFirmwareBlock; ++i)
        answer.push_back(at + i < size ? emu::FirmwareImageByte(1, at + i) : 0xFF);
    } else {
      answer = {0x55, 0x18, 0x00};  // "no more data"
    }
    floorMs += kFirmwareBlockWaitMs + ExchangeFloorMs(command({kCmdFirmwareBlock}), answer, byteMs);
  }
  std::printf("virtual register, %d bit/s%s: %u bytes in %d next-block commands\n", baud,
              options.wireSpeed ? "" : " (unpaced)", size, blocks);
  std::printf("time %.1f ms, floor %.1f ms, time / floor %.4f (goal <= 1.05)\n", ms, floorMs,
              ms / floorMs);
  return 0;
}
