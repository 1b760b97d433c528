#include "core/link/trace_device.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <sstream>
#include <string>

#include "support/fake_clock.h"

namespace ptk {
namespace {

// Hands out a queue of read results; each read costs one fake millisecond.
class QueueDevice final : public PortDevice {
 public:
  explicit QueueDevice(test::FakeClock& clock) : clock_(clock) {}
  bool OpenDevice(const std::string& name, OpenMode) override {
    return open_ = (name != "/dev/none");
  }
  bool ConfigureLine(const LineFormat& format) override { return format.baudRate != 0; }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }
  bool ClearErrors() override { return true; }
  bool Purge() override { return true; }
  bool Write(const uint8_t*, size_t length) override { return length != 3; }
  ReadStatus ReadByte(uint8_t& byte) override {
    clock_.Advance(1);
    if (reads.empty()) return ReadStatus::Timeout;
    const int next = reads.front();
    reads.pop_front();
    if (next < 0) return next == -1 ? ReadStatus::Timeout : ReadStatus::Failed;
    byte = static_cast<uint8_t>(next);
    return ReadStatus::Byte;
  }
  bool SetReadTimeout(uint32_t ms) override {
    timeout_ = ms;
    return true;
  }
  uint32_t ReadTimeout() const override { return timeout_; }

  std::deque<int> reads;  // byte values; -1 a time-out, -2 a failure

 private:
  test::FakeClock& clock_;
  bool open_ = false;
  uint32_t timeout_ = 2;
};

TEST(TraceDevice, LogsTransfersRunsAndEventsWithTheirTimes) {
  test::FakeClock clock(70000);  // the trace counts from its own start
  std::ostringstream log;
  auto inner = std::make_unique<QueueDevice>(clock);
  QueueDevice& queue = *inner;
  TracingPortDevice trace(std::move(inner), clock, log);

  EXPECT_FALSE(trace.Open("/dev/none"));
  EXPECT_TRUE(trace.Open("/dev/pts/7"));
  EXPECT_TRUE(trace.Configure(0));
  EXPECT_FALSE(trace.Configure(7));
  clock.Advance(10);
  const uint8_t enq[] = {0x05};
  EXPECT_TRUE(trace.Write(enq, 1));
  // ACK, then after a time-out a frame whose bytes arrive one fake millisecond apart.
  queue.reads = {0x06, -1, 0x02, 0x55, 0x10, 0x03, 0x03, 0xAB, -1, -1};
  uint8_t b = 0;
  int bytes = 0;
  for (int i = 0; i < 10; ++i) bytes += trace.ReadByte(b) == ReadStatus::Byte;
  EXPECT_EQ(bytes, 7);
  const uint8_t three[] = {0xFF, 0x00, 0x7F};
  EXPECT_FALSE(trace.Write(three, 3));
  // A run cut short by a failure; a dead line is noted once, not on every retry.
  queue.reads = {0x04, -2, -2, -2};
  for (int i = 0; i < 4; ++i) trace.ReadByte(b);
  const uint8_t ack[] = {0x06};
  EXPECT_TRUE(trace.SetReadTimeout(600000));
  trace.Remark(kLineViolationNote);  // at once, before the pending run
  queue.reads = {0x15};
  trace.ReadByte(b);
  EXPECT_TRUE(trace.Write(ack, 1));
  trace.Close();
  trace.Close();  // closing a closed device is no event

  EXPECT_EQ(log.str(),
            "     0.000 ms  ----  open /dev/none failed\n"
            "     0.000 ms  ----  open /dev/pts/7\n"
            "     0.000 ms  ----  configure 9600 bit/s 8N1\n"
            "     0.000 ms  ----  configure 0 bit/s 8N1 failed\n"
            "    10.000 ms  PC->  05\n"
            "    11.000 ms  <-PTK 06\n"
            "    13.000 ms  <-PTK 02 55 10 03 03 AB\n"
            "    20.000 ms  PC->  FF 00 7F  (write failed)\n"
            "    21.000 ms  <-PTK 04\n"
            "    22.000 ms  ----  read failed\n"
            "    24.000 ms  ----  read time-out 600000 ms\n"
            "    24.000 ms  ----  line-discipline violation: a transfer begun while the "
            "register works\n"
            "    25.000 ms  <-PTK 15\n"
            "    25.000 ms  PC->  06\n"
            "    25.000 ms  ----  close\n");
}

TEST(TraceDevice, DisabledPassesEverythingThroughSilently) {
  test::FakeClock clock;
  std::ostringstream log;
  auto inner = std::make_unique<QueueDevice>(clock);
  QueueDevice& queue = *inner;
  TracingPortDevice trace(std::move(inner), clock, log);
  trace.set_enabled(false);
  EXPECT_TRUE(trace.Open("/dev/pts/1"));
  const uint8_t enq[] = {0x05};
  EXPECT_TRUE(trace.Write(enq, 1));
  queue.reads = {0x06};
  uint8_t b = 0;
  EXPECT_EQ(trace.ReadByte(b), ReadStatus::Byte);
  EXPECT_EQ(b, 0x06);
  EXPECT_TRUE(trace.SetReadTimeout(500));
  EXPECT_EQ(trace.ReadTimeout(), 500u);
  trace.Close();
  EXPECT_EQ(log.str(), "");
}

TEST(TraceDevice, PendingRunIsWrittenWhenTracingStops) {
  test::FakeClock clock;
  std::ostringstream log;
  auto inner = std::make_unique<QueueDevice>(clock);
  inner->reads = {0x06, 0x15};
  {
    TracingPortDevice trace(std::move(inner), clock, log);
    uint8_t b = 0;
    trace.ReadByte(b);
    trace.ReadByte(b);
    trace.set_enabled(false);
    trace.set_enabled(true);
  }
  EXPECT_EQ(log.str(), "     1.000 ms  <-PTK 06 15\n");
}

TEST(TraceDevice, HexBytes) {
  const uint8_t bytes[] = {0x00, 0x0A, 0xA0, 0xFF};
  EXPECT_EQ(HexBytes(bytes, 4), "00 0A A0 FF");
  EXPECT_EQ(HexBytes(bytes, 0), "");
}

TEST(TraceDevice, FileTraceFailsCleanlyOnAnUnwritablePath) {
  test::FakeClock clock;
  EXPECT_EQ(TracingPortDevice::ToFile(std::make_unique<QueueDevice>(clock), clock,
                                      "/nonexistent-dir/trace.txt"),
            nullptr);
}

}  // namespace
}  // namespace ptk
