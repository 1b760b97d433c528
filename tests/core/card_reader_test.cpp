// The card read sequence against a scripted device: which step failing gives which code,
// that the port is always closed again, the read's time limits, and where the port's name
// comes from.
#include "core/link/card_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/config.h"
#include "support/fake_clock.h"
#include "support/scripted_port.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using test::FakeClock;
using test::ScriptedPort;

TEST(ReadCardBytes, EachStepFailingGivesItsCodeAndClosesThePort) {
  const Bytes card = {';', '1', '2', '3', '4', '?', '\r', '\n'};
  struct Case {
    const char* what;
    void (*fault)(ScriptedPort&);
    Bytes data;
    int code;
    Bytes bytes;
  };
  const Case cases[] = {
      {"none", [](ScriptedPort&) {}, card, kCardReadOk, card},
      {"open", [](ScriptedPort& p) { p.openResult = false; }, card, kCardOpenFailed, {}},
      {"purge", [](ScriptedPort& p) { p.vanished = true; }, card, kCardSetupFailed, {}},
      {"configure", [](ScriptedPort& p) { p.configureResult = false; }, card, kCardSetupFailed, {}},
      // What came before the failure is no card.
      {"read", [](ScriptedPort& p) { p.readsFail = true; }, card, kCardReadFailed, {}},
      {"nothing within the time limit", [](ScriptedPort&) {}, {}, kCardReadFailed, {}},
  };
  for (const Case& c : cases) {
    FakeClock clock(1000);
    ScriptedPort device(clock);
    c.fault(device);
    device.Arrive(c.data, 10);
    Bytes bytes = {0xEE};  // stale content must not survive
    EXPECT_EQ(ReadCardBytes(device, "COM4", bytes, {}, clock), c.code) << c.what;
    EXPECT_EQ(bytes, c.bytes) << c.what;
    EXPECT_EQ(device.openedName, "COM4") << c.what;
    EXPECT_EQ(device.openedMode, OpenMode::ReadOnly) << c.what;
    EXPECT_FALSE(device.IsOpen()) << c.what;
  }

  // No port: no reader, and no device is touched.
  FakeClock clock;
  ScriptedPort device(clock);
  Bytes bytes = {1, 2};
  EXPECT_EQ(ReadCardBytes(device, "", bytes, {}, clock), kCardNoReader);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(device.openedName, "");
  EXPECT_EQ(ReadCardBytes(Settings{}, bytes), kCardNoReader);
}

TEST(ReadCardBytes, PurgesThenSetsTheReadersLine) {
  FakeClock clock;
  ScriptedPort device(clock);
  device.Arrive({';', '9', '?'});  // swiped before the request
  device.Arrive({';', '1', '?'}, 5);
  Bytes bytes;
  EXPECT_EQ(ReadCardBytes(device, "COM2", bytes, {}, clock), kCardReadOk);
  EXPECT_EQ(bytes, (Bytes{';', '1', '?'}));
  EXPECT_EQ(device.purgedBytes, 3);
  EXPECT_EQ(device.configuredLine, kCardReaderLine);
  EXPECT_EQ(LineFormatName(device.configuredLine), "7N1");
}

// The read's limits on the fake clock: bursts of bytes at their arrival ticks.
TEST(TimedRead, EndsAfterTheIntervalTheTotalOrTheByteLimit) {
  struct Burst {
    uint32_t atMs;  // after the start of the read
    size_t count;
  };
  struct Case {
    const char* what;
    std::vector<Burst> bursts;
    size_t maxBytes;
    size_t expected;   // bytes read
    uint32_t endedMs;  // when the read ended
  };
  const Case cases[] = {
      {"nothing: the total limit", {}, 1024, 0, 300},
      {"a pause within the interval joins", {{10, 4}, {59, 4}}, 1024, 8, 109},
      {"a pause beyond the interval ends it", {{10, 4}, {61, 4}}, 1024, 4, 60},
      {"no silence: the total limit",
       {{0, 1}, {40, 1}, {80, 1}, {120, 1}, {160, 1}, {200, 1}, {240, 1}, {280, 1}, {320, 1}},
       1024,
       8,
       300},
      {"the byte limit", {{10, 20}}, 16, 16, 10},
  };
  for (const Case& c : cases) {
    FakeClock clock(0xFFFFFF00u);  // the counter wraps during the read
    ScriptedPort device(clock);
    device.Open("COM3");
    for (const Burst& burst : c.bursts) device.Arrive(Bytes(burst.count, '7'), burst.atMs);
    Bytes bytes;
    const uint32_t start = clock.now();
    EXPECT_TRUE(TimedRead(device, clock, {50, 300}, c.maxBytes, bytes)) << c.what;
    EXPECT_EQ(bytes.size(), c.expected) << c.what;
    EXPECT_EQ(clock.now() - start, c.endedMs) << c.what;
  }
}

TEST(CardReaderPortName, OneRunNameWinsThenThePortNumber) {
  struct Case {
    int port;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {0, "", ""},
      {-1, "", ""},
      {1, "", "COM1"},
      {12, "", "COM12"},
      {0, "/dev/pts/7", "/dev/pts/7"},
      {3, "/dev/ttyUSB0", "/dev/ttyUSB0"},
      {0, "COM5", "COM5"},
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.CardReaderPort = c.port;
    settings.cardReaderName = c.name;
    EXPECT_EQ(CardReaderPortName(settings), c.expected) << c.port << " " << c.name;
  }
}

}  // namespace
}  // namespace ptk
