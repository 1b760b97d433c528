// The termios device over a real pseudo-terminal, against a scripted peer.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>
#include <sstream>
#include <thread>
#include <vector>

#include "core/link/clock.h"
#include "core/link/framing.h"
#include "core/link/serial_device.h"
#include "core/link/serial_port.h"
#include "core/link/trace_device.h"
#include "support/fake_clock.h"
#include "support/pty_peer.h"
#include "support/recording_ui.h"

namespace ptk {
namespace {

using test::PtyPeer;
using Ms = std::chrono::milliseconds;

double ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

class PosixPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.ok());
    device_ = CreateSystemPortDevice();
    ASSERT_TRUE(device_->Open(peer_.path()));
    ASSERT_TRUE(device_->Configure(4));
  }

  // Reads until a time-out; the bytes that came.
  std::vector<uint8_t> ReadAll() {
    std::vector<uint8_t> bytes;
    uint8_t b = 0;
    while (device_->ReadByte(b) == ReadStatus::Byte) bytes.push_back(b);
    return bytes;
  }

  // Waits (real time, bounded) until the peer has received n bytes.
  bool PeerGot(size_t n) {
    for (int i = 0; i < 200 && peer_.Received().size() < n; ++i) std::this_thread::sleep_for(Ms(5));
    return peer_.Received().size() >= n;
  }

  PtyPeer peer_;
  std::unique_ptr<PortDevice> device_;
};

TEST_F(PosixPort, ConfiguresEveryBaudIndexAndRejectsOthers) {
  for (int index = 0; index < 5; ++index) {
    EXPECT_TRUE(device_->Configure(index)) << index;
    EXPECT_EQ(device_->ReadTimeout(), kByteReadTimeoutMs);
  }
  EXPECT_FALSE(device_->Configure(5));
  EXPECT_FALSE(device_->Configure(-1));
}

TEST_F(PosixPort, OpenRejectsWhatIsNoSerialDevice) {
  auto other = CreateSystemPortDevice();
  EXPECT_FALSE(other->Open("/dev/null"));  // not a terminal
  EXPECT_FALSE(other->IsOpen());
  EXPECT_FALSE(other->Open("/nonexistent/ttyS0"));
  EXPECT_FALSE(other->Open("COM97"));  // outside the naming rule
  EXPECT_FALSE(other->Open("pts/0"));  // relative
  uint8_t b = 0;
  EXPECT_EQ(other->ReadByte(b), ReadStatus::Failed);
  EXPECT_FALSE(other->Write(&b, 1));
  EXPECT_FALSE(other->Purge());
}

TEST_F(PosixPort, SecondOpenOfTheSameDeviceFailsUntilTheFirstCloses) {
  auto second = CreateSystemPortDevice();
  EXPECT_FALSE(second->Open(peer_.path()));
  device_->Close();
  EXPECT_FALSE(device_->IsOpen());
  EXPECT_TRUE(second->Open(peer_.path()));
  EXPECT_FALSE(device_->Open(peer_.path()));
  second->Close();
  EXPECT_TRUE(device_->Open(peer_.path()));  // and again, after a close
}

TEST_F(PosixPort, BytesTravelBothWaysUnchanged) {
  std::vector<uint8_t> all(256);
  std::iota(all.begin(), all.end(), 0);
  // Control bytes, CR, LF, XON/XOFF and 0xFF pass untouched in raw mode.
  ASSERT_TRUE(device_->Write(all.data(), all.size()));
  peer_.Run([](PtyPeer& p) { p.Drain(300); });
  ASSERT_TRUE(PeerGot(all.size()));
  peer_.Stop();
  EXPECT_EQ(peer_.Received(), all);

  peer_.Run([&](PtyPeer& p) { p.Send(all); });
  peer_.Join();
  EXPECT_EQ(ReadAll(), all);
}

TEST_F(PosixPort, ReadTimesOutAfterTheByteTimeOutNotLater) {
  uint8_t b = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(device_->ReadByte(b), ReadStatus::Timeout);
  const double ms = ElapsedMs(start);
  EXPECT_GE(ms, 1.9);
  EXPECT_LT(ms, 100.0);  // generous: shared machine
}

TEST_F(PosixPort, ByteGapNoneVersusFarBeyondTheLimit) {
  const std::vector<uint8_t> frame = {STX, 0x55, 0x00, 0x00, ETX, 0x56};
  // No gap: the whole burst reads without a time-out.
  peer_.Run([&](PtyPeer& p) { p.Send(frame); });
  peer_.Join();
  EXPECT_EQ(ReadAll(), frame);

  // 50 ms (25 times the limit) between two halves: a time-out falls between them.
  peer_.Run([&](PtyPeer& p) {
    p.Send({STX, 0x55});
    p.Sleep(50);
    p.Send({0x00, 0x00});
  });
  std::vector<uint8_t> first;
  uint8_t b = 0;
  while (first.size() < 2 && device_->ReadByte(b) != ReadStatus::Failed) {
    if (first.empty() && b != STX) continue;
    first.push_back(b);
  }
  EXPECT_EQ(first, (std::vector<uint8_t>{STX, 0x55}));
  EXPECT_EQ(device_->ReadByte(b), ReadStatus::Timeout);
  peer_.Join();
  EXPECT_EQ(ReadAll(), (std::vector<uint8_t>{0x00, 0x00}));
}

TEST_F(PosixPort, LongReadTimeOutWakesOnTheByteAndEndsAtTheLimit) {
  ASSERT_TRUE(device_->SetReadTimeout(300));
  EXPECT_EQ(device_->ReadTimeout(), 300u);
  uint8_t b = 0;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(device_->ReadByte(b), ReadStatus::Timeout);
  double ms = ElapsedMs(start);
  EXPECT_GE(ms, 299.0);
  EXPECT_LT(ms, 600.0);

  // A byte 30 ms into a 300 ms wait ends the wait with it.
  peer_.Run([](PtyPeer& p) {
    p.Sleep(30);
    p.Send({ACK});
  });
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(device_->ReadByte(b), ReadStatus::Byte);
  ms = ElapsedMs(start);
  EXPECT_EQ(b, ACK);
  EXPECT_LT(ms, 250.0);
  peer_.Join();

  // Configure goes back to the byte time-out.
  ASSERT_TRUE(device_->Configure(4));
  EXPECT_EQ(device_->ReadTimeout(), kByteReadTimeoutMs);
}

TEST_F(PosixPort, PurgeDiscardsUnreadBytesInTheDriverAndInTheDevice) {
  peer_.Run([](PtyPeer& p) { p.Send({0x11, 0x22, 0x33, 0x44}); });
  peer_.Join();
  std::this_thread::sleep_for(Ms(20));
  uint8_t b = 0;
  // One byte read takes the whole burst out of the driver; the rest waits in the device.
  ASSERT_EQ(device_->ReadByte(b), ReadStatus::Byte);
  EXPECT_EQ(b, 0x11);
  ASSERT_TRUE(device_->Purge());
  EXPECT_EQ(device_->ReadByte(b), ReadStatus::Timeout);

  peer_.Run([](PtyPeer& p) { p.Send({0x55, 0x66}); });
  peer_.Join();
  std::this_thread::sleep_for(Ms(20));
  ASSERT_TRUE(device_->Purge());  // nothing read yet: the driver's queue alone
  EXPECT_EQ(device_->ReadByte(b), ReadStatus::Timeout);
}

TEST_F(PosixPort, VanishedDeviceFailsAtOnceInsteadOfHanging) {
  ASSERT_TRUE(device_->SetReadTimeout(60000));
  peer_.Run([](PtyPeer& p) {
    p.Sleep(20);
    p.Vanish();
  });
  uint8_t b = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(device_->ReadByte(b), ReadStatus::Failed);
  EXPECT_LT(ElapsedMs(start), 2000.0);
  peer_.Join();
  EXPECT_EQ(device_->ReadByte(b), ReadStatus::Failed);
  const uint8_t enq = ENQ;
  EXPECT_FALSE(device_->Write(&enq, 1));
}

TEST_F(PosixPort, TimedOperationsOnAVanishedDeviceReturnBeforeTheirLimit) {
  test::RecordingUi ui;
  SerialPort port(*device_, SystemClock(), ui);
  peer_.Vanish();
  uint8_t buffer[16] = {};
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(port.TimedRead(buffer, sizeof buffer, 6, 5000));
  EXPECT_LT(ElapsedMs(start), 1000.0);
  size_t raw = 99;
  EXPECT_FALSE(port.ReadPort(buffer, sizeof buffer, 6, &raw));
  EXPECT_EQ(raw, 0u);
  // A write cannot tell a hang-up from a full queue: it retries until its limit.
  const uint8_t enq = ENQ;
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(port.TimedWrite(&enq, 1, 200));
  EXPECT_LT(ElapsedMs(start), 1000.0);
}

TEST_F(PosixPort, ReadPortCountsStuffedPairsOnTheWire) {
  test::RecordingUi ui;
  SerialPort port(*device_, SystemClock(), ui);
  peer_.Run([](PtyPeer& p) { p.Send({STX, DLE, ETX, 0x41}); });
  peer_.Join();
  uint8_t buffer[16] = {};
  size_t raw = 0;
  EXPECT_TRUE(port.TimedRead(buffer, sizeof buffer, 3, 500, &raw));
  EXPECT_EQ(raw, 4u);
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4), (std::vector<uint8_t>{STX, DLE, ETX, 0x41}));
}

TEST_F(PosixPort, TraceLogsEachWriteAndEachRunOfReadBytes) {
  std::ostringstream log;
  test::FakeClock clock(1000);
  auto traced = std::make_unique<TracingPortDevice>(std::move(device_), clock, log);
  clock.Advance(5);
  const uint8_t enq = ENQ;
  ASSERT_TRUE(traced->Write(&enq, 1));
  peer_.Run([](PtyPeer& p) {
    if (p.Expect(ENQ, 1000)) p.Send({ACK, NAK});
  });
  peer_.Join();
  clock.Advance(2);
  uint8_t b = 0;
  int bytes = 0;
  for (int i = 0; i < 500 && bytes < 2; ++i) {
    if (traced->ReadByte(b) == ReadStatus::Byte) ++bytes;
  }
  ASSERT_EQ(bytes, 2);
  EXPECT_EQ(traced->ReadByte(b), ReadStatus::Timeout);  // ends the run
  traced->Close();
  EXPECT_EQ(log.str(),
            "     5.000 ms  PC->  05\n"
            "     7.000 ms  <-PTK 06 15\n"
            "     7.000 ms  ----  close\n");
}

}  // namespace
}  // namespace ptk
