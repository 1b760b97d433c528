// The frame exchange's answer read and unstuffing, with the register's side of the line
// taken from the input (line_feeder.h), for every combination of short answers allowed,
// answer length and decoding, on the fake clock. Also the frame scan on its own.
//
// Input: flags (bit 0 short answers allowed, bit 1 decode the result, bit 2 answer length
// + 256, bits 3..5 the command code, bit 6 a tick counter about to wrap), the answer
// length's low byte, then the line's chunks.
#include "core/link/frame_exchange.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/link/framing.h"
#include "core/link/serial_port.h"
#include "fuzz_input.h"
#include "line_feeder.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace {

using namespace ptk;
using fuzz::Input;

// The state query, the state code, the device type, the next firmware block, the extended
// query (their results are decoded apart), and plain commands.
constexpr uint8_t kCodes[8] = {0x3F, 0x45, 0xA5, 0x84, 0xE0, 0x46, 0x10, 0x03};

// The longest an exchange may take with the default time-outs: every attempt of the
// transfer, T6, every reading of the answer and the closing EOT, with room to spare.
constexpr uint32_t kExchangeBoundMs = 5 * 60 * 1000;

void CheckScan(std::span<const uint8_t> raw) {
  const FrameScan scan = ScanFrame(raw);
  PTK_FUZZ_CHECK(scan.rawLength <= raw.size());
  PTK_FUZZ_CHECK(scan.unstuffed.size() <= raw.size());
  PTK_FUZZ_CHECK(!scan.checkOk || scan.complete);
  PTK_FUZZ_CHECK(scan.complete == FrameComplete(raw));
  if (scan.complete) {
    PTK_FUZZ_CHECK(scan.rawLength >= 3);
    PTK_FUZZ_CHECK(scan.unstuffed.size() >= 3);
    PTK_FUZZ_CHECK(scan.unstuffed.front() == STX);
    PTK_FUZZ_CHECK(scan.unstuffed[scan.unstuffed.size() - 2] == ETX);
  }
}

// Built frames scan back to their payload with a good check byte.
void CheckRoundTrip(std::span<const uint8_t> payload) {
  const std::vector<uint8_t> frame = BuildFrame(payload);
  const FrameScan scan = ScanFrame(frame);
  PTK_FUZZ_CHECK(scan.complete && scan.checkOk);
  PTK_FUZZ_CHECK(scan.rawLength == frame.size());
  PTK_FUZZ_CHECK(scan.unstuffed.size() == payload.size() + 3);
  PTK_FUZZ_CHECK(std::equal(payload.begin(), payload.end(), scan.unstuffed.begin() + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> whole(data, size);
  if (!whole.empty() && whole[0] == STX) CheckScan(whole);
  CheckRoundTrip(whole.first(std::min<size_t>(whole.size(), 300)));

  Input in(data, size);
  const uint8_t flags = in.Byte();
  const int allowShort = flags & 1;
  const int decode = (flags >> 1) & 1;
  const int answerLength = ((flags >> 2) & 1) << 8 | in.Byte();
  const uint8_t code = kCodes[(flags >> 3) & 7];

  test::FakeClock clock{(flags & 0x40) != 0 ? 0xFFFFF000u : 1000u};
  test::ScriptedPort device{clock};
  test::RecordingUi ui;
  SerialPort port{device, clock, ui};
  Settings settings;
  settings.AccessPassword = "7391";
  Link link{port, ui, settings};
  device.Open("COM1");
  fuzz::LineFeeder feeder{device, in};

  const uint32_t start = clock.now();
  const int result =
      link.ExchangeWithAnswer(link.CommandFrame(code), allowShort, answerLength, decode);
  PTK_FUZZ_CHECK(clock.now() - start <= kExchangeBoundMs);
  PTK_FUZZ_CHECK(result == kExchangeOk || result == kExchangeLinkFailure ||
                 result == kExchangeChecksumError || result == kExchangeDeviceError ||
                 result == kExchangeNoMoreData || result == kExchangeNotSupported);
  PTK_FUZZ_CHECK(link.AnswerLength >= 0 &&
                 static_cast<size_t>(link.AnswerLength) <= link.AnswerBuffer.size());
  if (result != kExchangeLinkFailure && result != kExchangeChecksumError) {
    // An acknowledged answer: a whole frame with a good check byte, the rest zero.
    const size_t n = static_cast<size_t>(link.AnswerLength);
    PTK_FUZZ_CHECK(n >= 3);
    PTK_FUZZ_CHECK(link.AnswerBuffer[0] == STX && link.AnswerBuffer[n - 2] == ETX);
    PTK_FUZZ_CHECK(std::all_of(link.AnswerBuffer.begin() + n, link.AnswerBuffer.end(),
                               [](uint8_t b) { return b == 0; }));
  }
  return 0;
}
