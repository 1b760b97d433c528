// The port operations over the scripted device: logical counting, retry until the limit
// with unsigned ticks, message pumping, purging before writes, and the frame read.
#include "core/link/serial_port.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/link/framing.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace ptk {
namespace {

using test::FakeClock;
using test::RecordingUi;
using test::ScriptedPort;

struct PortFixture {
  explicit PortFixture(uint32_t start = 1000) : clock(start) { device.Open("COM1"); }
  FakeClock clock;
  ScriptedPort device{clock};
  RecordingUi ui;
  SerialPort port{device, clock, ui};
};

TEST(SerialPortTest, OpenAndConfigureGoToTheDevice) {
  PortFixture f;
  EXPECT_TRUE(f.port.OpenPort("COM10"));
  EXPECT_EQ(f.device.openedName, "COM10");
  EXPECT_TRUE(f.port.OpenPort("/dev/pts/7"));
  EXPECT_EQ(f.device.openedName, "/dev/pts/7");
  EXPECT_TRUE(f.port.ConfigurePort(4));
  EXPECT_EQ(f.device.configuredBaud, 4);
  EXPECT_FALSE(f.port.ConfigurePort(5));
  f.device.openResult = false;
  EXPECT_FALSE(f.port.OpenPort("COM2"));
  EXPECT_FALSE(f.port.IsOpen());
}

TEST(SerialPortTest, ReadPortCountsLogicalBytes) {
  struct Row {
    const char* name;
    std::vector<uint8_t> arriving;
    size_t logical;
    bool ok;
    size_t raw;
  } rows[] = {
      {"stuffed ETX counts once", {0x02, 0x10, 0x03, 0x41}, 3, true, 4},
      {"stuffed DLE counts once", {0x10, 0x10, 0x41}, 2, true, 3},
      {"DLE then other byte counts once", {0x10, 0x41}, 1, true, 2},
      {"four of six", {0x02, 0x55, 0x00, 0x00}, 6, false, 4},
      {"stops at the logical length", {0x01, 0x02, 0x03}, 2, true, 2},
      {"nothing", {}, 1, false, 0},
      {"zero length", {0x01}, 0, true, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PortFixture f;
    f.device.Arrive(row.arriving);
    std::array<uint8_t, 16> buffer{};
    size_t raw = 99;
    EXPECT_EQ(f.port.ReadPort(buffer.data(), buffer.size(), row.logical, &raw), row.ok);
    EXPECT_EQ(raw, row.raw);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + raw, row.arriving.begin()));
  }
}

TEST(SerialPortTest, ReadPortRespectsTheCapacity) {
  PortFixture f;
  f.device.Arrive({0x10, 0x10, 0x10, 0x10, 0x10, 0x10});
  std::array<uint8_t, 8> buffer{};
  size_t raw = 0;
  EXPECT_FALSE(f.port.ReadPort(buffer.data(), 4, 3, &raw));
  EXPECT_EQ(raw, 4u);
  EXPECT_EQ(buffer[4], 0);
}

TEST(SerialPortTest, TimedReadRetriesUntilTheLimitAndKeepsTheBytes) {
  PortFixture f;
  f.device.Arrive({0x02, 0x55, 0x00, 0x00});
  std::array<uint8_t, 16> buffer{};
  size_t raw = 0;
  const uint32_t start = f.clock.now();
  EXPECT_FALSE(f.port.TimedRead(buffer.data(), buffer.size(), 6, 500, &raw));
  EXPECT_GE(f.clock.now() - start, 500u);
  EXPECT_LT(f.clock.now() - start, 510u);
  EXPECT_EQ(raw, 4u);
  EXPECT_EQ((std::vector<uint8_t>(buffer.begin(), buffer.begin() + 5)),
            (std::vector<uint8_t>{0x02, 0x55, 0x00, 0x00, 0x00}));
  EXPECT_GT(f.ui.pumps, 200);  // one pump per 2 ms attempt
}

TEST(SerialPortTest, TimedReadLimits) {
  struct Row {
    const char* name;
    uint32_t start;
    uint32_t limit;
    bool quitting;
    uint32_t minElapsed, maxElapsed;
    int maxReads;
  } rows[] = {
      {"limit 0 reads nothing", 1000, 0, false, 0, 0, 0},
      {"quitting ends at once", 1000, 500, true, 0, 0, 0},
      {"across the tick wrap", 0xFFFFFF00u, 500, false, 500, 510, 1000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PortFixture f(row.start);
    f.ui.quitting = row.quitting;
    std::array<uint8_t, 4> buffer{};
    EXPECT_FALSE(f.port.TimedRead(buffer.data(), buffer.size(), 1, row.limit));
    const uint32_t elapsed = f.clock.now() - row.start;
    EXPECT_GE(elapsed, row.minElapsed);
    EXPECT_LE(elapsed, row.maxElapsed);
    EXPECT_LE(f.device.reads, row.maxReads);
  }
}

TEST(SerialPortTest, TimedReadSucceedsWhenTheByteComesLate) {
  PortFixture f;
  f.device.Arrive({ACK}, 300);
  std::array<uint8_t, 4> buffer{};
  EXPECT_TRUE(f.port.TimedRead(buffer.data(), buffer.size(), 1, 500));
  EXPECT_EQ(buffer[0], ACK);
}

TEST(SerialPortTest, VanishedDeviceEndsTheReadAtOnce) {
  PortFixture f;
  f.device.vanished = true;
  std::array<uint8_t, 4> buffer{};
  const uint32_t start = f.clock.now();
  EXPECT_FALSE(f.port.TimedRead(buffer.data(), buffer.size(), 1, 10000));
  EXPECT_EQ(f.clock.now() - start, 0u);
  EXPECT_EQ(f.device.reads, 1);
  EXPECT_FALSE(f.port.TimedWrite(buffer.data(), 1, 500));
}

TEST(SerialPortTest, WritePortDiscardsUnreadBytes) {
  PortFixture f;
  f.device.Arrive({0x41, 0x42, 0x43});
  const uint8_t enq = ENQ;
  size_t written = 0;
  EXPECT_TRUE(f.port.WritePort(&enq, 1, &written));
  EXPECT_EQ(written, 1u);
  EXPECT_EQ(f.device.purgedBytes, 3);
  EXPECT_EQ(f.device.Pending(), 0u);
  EXPECT_EQ(f.device.Written(), std::vector<uint8_t>{ENQ});
}

TEST(SerialPortTest, TimedWriteRetriesUntilTheLimit) {
  struct Row {
    int failures;
    uint32_t limit;
    bool ok;
  } rows[] = {{0, 500, true}, {3, 500, true}, {1000000, 500, false}, {0, 0, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.failures);
    PortFixture f;
    f.device.failWrites = row.failures;
    const uint8_t b = ENQ;
    const uint32_t start = f.clock.now();
    EXPECT_EQ(f.port.TimedWrite(&b, 1, row.limit), row.ok);
    EXPECT_EQ(f.device.writes.size(), row.ok ? 1u : 0u);
    if (!row.ok) {
      EXPECT_LE(f.clock.now() - start, row.limit + 1);
    }
    EXPECT_EQ(f.ui.pumps, 0);  // writes pump no messages
  }
}

TEST(SerialPortTest, ReadFrameEndsWhenTheFrameIsComplete) {
  struct Row {
    const char* name;
    std::vector<uint8_t> arriving;
    size_t minLogical;
    bool ok;
    size_t raw;  // bytes taken
  } rows[] = {
      {"plain", {0x02, 0x55, 0x00, 0x00, 0x03, 0x56, 0x04}, 6, true, 6},
      {"stuffed ETX inside", {0x02, 0x10, 0x03, 0x03, 0x10, 0x04}, 4, true, 5},
      {"stuffed DLE before ETX", {0x02, 0x10, 0x10, 0x03, 0x03, 0x04}, 4, true, 5},
      {"check byte equal to ETX", {0x02, 0x03, 0x03, 0x04}, 3, true, 3},
      {"check byte equal to DLE", {0x02, 0x13, 0x03, 0x10, 0x04}, 4, true, 4},
      {"DLE followed by data", {0x02, 0x10, 0x41, 0x03, 0x52, 0x04}, 4, true, 5},
      {"complete but short", {0x02, 0x55, 0x00, 0x00, 0x03, 0x56}, 20, false, 6},
      {"never ends", {0x02, 0x55, 0x00}, 3, false, 3},
      {"not a frame", {0x55, 0x00, 0x00, 0x03, 0x56}, 1, false, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PortFixture f;
    f.device.Arrive(row.arriving);
    std::array<uint8_t, 260> buffer{};
    size_t raw = 0;
    EXPECT_EQ(f.port.ReadFrame(buffer.data(), buffer.size(), row.minLogical, 500, &raw), row.ok);
    EXPECT_EQ(raw, row.raw);
    EXPECT_EQ(f.device.Pending(), row.arriving.size() - row.raw);
    EXPECT_EQ(FrameComplete(std::span<const uint8_t>(buffer.data(), raw)),
              row.ok || std::string(row.name) == "complete but short");
  }
}

TEST(SerialPortTest, ReadFrameAccumulatesAcrossPauses) {
  struct Row {
    uint32_t pause;
    bool ok;
  } rows[] = {{0, true}, {20, true}, {5000, false}};  // none, a USB-adapter gap, beyond T7
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pause);
    PortFixture f;
    f.device.Arrive({0x02, 0x55, 0x00});
    f.device.Arrive({0x01, 0x03, 0x57}, row.pause);
    std::array<uint8_t, 260> buffer{};
    size_t raw = 0;
    const uint32_t start = f.clock.now();
    EXPECT_EQ(f.port.ReadFrame(buffer.data(), buffer.size(), 6, 500, &raw), row.ok);
    EXPECT_EQ(raw, row.ok ? 6u : 3u);
    if (row.ok) {
      EXPECT_EQ(buffer[4], 0x03);
      EXPECT_LE(f.clock.now() - start, row.pause + 2);
    } else {
      EXPECT_GE(f.clock.now() - start, 500u);
      EXPECT_LT(f.clock.now() - start, 510u);
    }
  }
}

TEST(SerialPortTest, ReadFrameStopsAtTheBufferEnd) {
  PortFixture f;
  std::vector<uint8_t> endless(400, 0x41);
  endless[0] = STX;
  f.device.Arrive(endless);
  std::array<uint8_t, 260> buffer{};
  size_t raw = 0;
  EXPECT_FALSE(f.port.ReadFrame(buffer.data(), buffer.size(), 6, 500, &raw));
  EXPECT_EQ(raw, 260u);
  EXPECT_EQ(f.device.Pending(), 140u);
}

}  // namespace
}  // namespace ptk
