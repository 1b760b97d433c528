// The card reader on the termios serial device over a real pseudo-terminal, against a scripted
// reader and against the virtual reader of the emulator. Read limits are the real 50 ms between
// characters; the total limit is cut down so that an empty read does not take 5 s.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/link/card_reader.h"
#include "core/link/serial_device.h"
#include "core/settings/config.h"
#include "emulator/card_reader_peer.h"
#include "emulator/emulator_host.h"
#include "support/pty_peer.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using test::PtyPeer;

constexpr CardReadTimeouts kShort{50, 300};

Bytes ToBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

double ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

TEST(PosixCardReader, ReadsWhatComesAfterThePurgeUntilTheLineFallsSilent) {
  const Bytes card = ToBytes(";4000001234567899=2512?\r\n");
  Bytes big(1500);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>('0' + i % 10);
  struct Burst {
    int pauseMs;  // before the burst
    Bytes bytes;
  };
  struct Case {
    const char* what;
    std::vector<Burst> bursts;
    int code;
    Bytes expected;
  };
  const Bytes first = ToBytes(";40000012"), second = ToBytes("34567899=2512?\r\n");
  const Case cases[] = {
      {"one burst", {{0, card}}, kCardReadOk, card},
      {"a short pause joins", {{0, first}, {5, second}}, kCardReadOk, card},
      {"a long pause ends the read", {{0, first}, {250, second}}, kCardReadOk, first},
      {"nothing", {}, kCardReadFailed, {}},
      {"bounded", {{0, big}}, kCardReadOk, Bytes(big.begin(), big.begin() + kCardReadMaxBytes)},
  };
  for (const Case& c : cases) {
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    // A card swiped before the request is in the driver's queue: the purge drops it.
    ASSERT_TRUE(peer.Send(ToBytes(";9999?\r\n")));
    peer.Run([&](PtyPeer& p) {
      if (!p.Sleep(50)) return;  // the read has opened and purged the port by then
      for (const Burst& burst : c.bursts) {
        if (burst.pauseMs > 0 && !p.Sleep(burst.pauseMs)) return;
        p.Send(burst.bytes);
      }
    });
    auto device = CreateSystemPortDevice();
    Bytes bytes;
    EXPECT_EQ(ReadCardBytes(*device, peer.path(), bytes, kShort), c.code) << c.what;
    EXPECT_EQ(bytes, c.expected) << c.what;
    EXPECT_FALSE(device->IsOpen()) << c.what;
    peer.Join();
  }
}

TEST(PosixCardReader, TheTotalLimitEndsAReadThatNeverFallsSilent) {
  PtyPeer peer;
  ASSERT_TRUE(peer.ok());
  peer.Run([](PtyPeer& p) {
    for (int i = 0; i < 40 && p.Sleep(20); ++i) p.Send({'1'});
  });
  auto device = CreateSystemPortDevice();
  Bytes bytes;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadCardBytes(*device, peer.path(), bytes, {50, 300}), kCardReadOk);
  const double ms = ElapsedMs(start);
  EXPECT_GE(ms, 299.0);
  EXPECT_LT(ms, 600.0);
  EXPECT_FALSE(bytes.empty());
  EXPECT_LT(bytes.size(), 30u);
  peer.Stop();
}

TEST(PosixCardReader, PortsThatCannotBeReadGiveTheirCodes) {
  PtyPeer peer;
  ASSERT_TRUE(peer.ok());
  Bytes bytes;
  struct Case {
    std::string name;
    int code;
  };
  const Case cases[] = {
      {"", kCardNoReader},
      {"/nonexistent/ttyS0", kCardOpenFailed},
      {"/dev/null", kCardOpenFailed},  // no terminal
      {"COM97", kCardOpenFailed},      // outside the naming rule
  };
  for (const Case& c : cases) {
    auto device = CreateSystemPortDevice();
    EXPECT_EQ(ReadCardBytes(*device, c.name, bytes, kShort), c.code) << c.name;
  }

  // Held by another reader (the register's port, say): not opened, even as root.
  auto holder = CreateSystemPortDevice();
  ASSERT_TRUE(holder->Open(peer.path(), OpenMode::ReadOnly));
  auto device = CreateSystemPortDevice();
  EXPECT_EQ(ReadCardBytes(*device, peer.path(), bytes, kShort), kCardOpenFailed);
  holder->Close();

  // The device vanishing during the read fails it at once, not at the time limit.
  peer.Run([](PtyPeer& p) {
    p.Sleep(50);
    p.Vanish();
  });
  auto slow = CreateSystemPortDevice();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadCardBytes(*slow, peer.path(), bytes, {50, 60000}), kCardReadFailed);
  EXPECT_LT(ElapsedMs(start), 1000.0);
  peer.Join();
}

TEST(VirtualCardReader, SendsTheCurrentCardToEveryReadAndNothingWithoutACard) {
  emu::VirtualCardReader reader;
  ASSERT_TRUE(reader.Start()) << reader.LastError();
  ASSERT_TRUE(reader.SwipesOnPurge());
  reader.SetCard(";4000001234567899=2512?");
  auto device = CreateSystemPortDevice();
  Bytes bytes;
  EXPECT_EQ(ReadCardBytes(*device, reader.SlavePath(), bytes, kShort), kCardReadOk);
  EXPECT_EQ(bytes, ToBytes(";4000001234567899=2512?\r\n"));
  // Read again: the terminal is at 9600 bit/s raw already and cannot take 7 bits.
  reader.SetCard(";1234?");
  EXPECT_EQ(ReadCardBytes(*device, reader.SlavePath(), bytes, kShort), kCardReadOk);
  EXPECT_EQ(bytes, ToBytes(";1234?\r\n"));
  EXPECT_EQ(reader.CardsSent(), 2u);

  // No card at the reader: the read waits in vain; a swipe while it waits delivers.
  reader.SetCard("");
  EXPECT_FALSE(reader.Swipe());
  EXPECT_EQ(ReadCardBytes(*device, reader.SlavePath(), bytes, kShort), kCardReadFailed);
  ASSERT_TRUE(device->Open(reader.SlavePath(), OpenMode::ReadOnly));
  ASSERT_TRUE(device->Purge());
  ASSERT_TRUE(device->Configure(kCardReaderLine));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the reader sees the purge
  reader.SetCard(";5678=99?");
  ASSERT_TRUE(reader.Swipe());
  EXPECT_TRUE(TimedRead(*device, SystemClock(), kShort, kCardReadMaxBytes, bytes));
  EXPECT_EQ(bytes, ToBytes(";5678=99?\r\n"));
  device->Close();
  EXPECT_EQ(reader.CardsSent(), 3u);
  reader.Stop();
  EXPECT_FALSE(reader.Swipe());
}

TEST(VirtualCardReader, TheEmulatorHostRunsOneOnRequest) {
  emu::EmulatorOptions options;
  options.card = ";4000001234567899=2512?";
  emu::EmulatorHost host(options);
  ASSERT_TRUE(host.Start()) << host.LastError();
  ASSERT_FALSE(host.CardReaderPath().empty());
  EXPECT_NE(host.CardReaderPath(), host.SlavePath());
  EXPECT_EQ(host.Card(), options.card);
  Settings settings;
  settings.cardReaderName = host.CardReaderPath();
  Bytes bytes;
  EXPECT_EQ(ReadCardBytes(settings, bytes), kCardReadOk);
  EXPECT_EQ(bytes, ToBytes(options.card + "\r\n"));
  host.Stop();

  emu::EmulatorHost plain;
  ASSERT_TRUE(plain.Start());
  EXPECT_TRUE(plain.CardReaderPath().empty());
  EXPECT_FALSE(plain.SetCard(";1?"));
  EXPECT_FALSE(plain.Swipe());
}

}  // namespace
}  // namespace ptk
