// The compact command path's receiver, with the register's side of the line taken from
// the input (line_feeder.h) on the fake clock: any code, any parameters, any capacity of
// the caller's buffer, with and without an answer, and the model identification on it.
//
// Input: flags (bit 0 no answer buffer, bit 1 identify the model instead, bit 2 a tick
// counter about to wrap), the code, the capacity, the parameters (a run), the line.
#include "core/link/direct_command.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/link/serial_port.h"
#include "fuzz_input.h"
#include "line_feeder.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace {

using namespace ptk;
using fuzz::Input;

// The longest wait is the 600 s answer time-out of the long reports; every other phase is
// bounded by its attempts.
constexpr uint32_t kCommandBoundMs = 15 * 60 * 1000;

bool KnownError(int error) {
  if (error < 0) {
    // 0x80000000 + a result code other than the five that have codes of their own.
    const uint32_t bits = static_cast<uint32_t>(error);
    return (bits & 0x7FFFFF00u) == 0 && (bits & 0xFF) != 0;
  }
  switch (error) {
    case direct_error::kOk:
    case direct_error::kInvalidParameter:
    case direct_error::kLineBusy:
    case direct_error::kLocalPort:
    case direct_error::kNoLink:
    case direct_error::kNoAnswer:
    case direct_error::kTransfer:
    case direct_error::kTooLong:
    case direct_error::kExcessData:
    case direct_error::kChecksum:
    case direct_error::kNoPaper:
    case direct_error::kBufferTooSmall:
    case direct_error::kNeedsConfirmation:
    case direct_error::kShiftTooLong:
    case direct_error::kWrongPassword:
    case direct_error::kWrongMode:
      return true;
    default:
      return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t flags = in.Byte();
  const uint8_t code = in.Byte();
  const size_t capacity = in.Byte() % (kDirectAreaSize + 1);
  const std::vector<uint8_t> params = in.Run();

  test::FakeClock clock{(flags & 4) != 0 ? 0xFFFFF000u : 1000u};
  test::ScriptedPort device{clock};
  test::RecordingUi ui;
  SerialPort port{device, clock, ui};
  Settings settings;
  settings.AccessPassword = "7391";
  device.Open("/dev/scripted");
  fuzz::LineFeeder feeder{device, in};
  const uint32_t start = clock.now();

  if ((flags & 2) != 0) {
    ModelIdentity identity;
    const int error = IdentifyModel(port, settings, identity);
    PTK_FUZZ_CHECK(KnownError(error));
    if (error != direct_error::kOk) PTK_FUZZ_CHECK(identity.modelCode == 0);
    PTK_FUZZ_CHECK(identity.caps == CapabilitiesForModel(identity.modelCode));
    PTK_FUZZ_CHECK(clock.now() - start <= kCommandBoundMs);
    return 0;
  }

  // Guard bytes after the caller's buffer: nothing may be written past its capacity.
  std::vector<uint8_t> buffer(capacity + 16, 0xA5);
  size_t length = capacity;
  const bool withAnswer = (flags & 1) == 0;
  const int error =
      DirectCommand(port, settings, code, params, withAnswer ? buffer.data() : nullptr,
                    withAnswer ? &length : nullptr);
  PTK_FUZZ_CHECK(KnownError(error));
  PTK_FUZZ_CHECK(clock.now() - start <= kCommandBoundMs);
  PTK_FUZZ_CHECK(!DirectErrorText(error).empty());
  ShowDirectError(ui, error);
  if (withAnswer) {
    PTK_FUZZ_CHECK(length <= capacity);
    PTK_FUZZ_CHECK(
        std::all_of(buffer.begin() + capacity, buffer.end(), [](uint8_t b) { return b == 0xA5; }));
    if (error == direct_error::kOk) PTK_FUZZ_CHECK(length >= 1);
    if (error == direct_error::kOk && code != 0xA5) PTK_FUZZ_CHECK(length >= 2);
  }
  return 0;
}
