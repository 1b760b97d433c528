// Whole exchanges over the termios device and a real pseudo-terminal, against a scripted
// register on the far end, in real time.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/link/clock.h"
#include "core/link/frame_exchange.h"
#include "core/link/framing.h"
#include "core/link/serial_device.h"
#include "core/link/serial_port.h"
#include "support/pty_peer.h"
#include "support/recording_ui.h"

namespace ptk {
namespace {

using test::PtyPeer;
using Bytes = std::vector<uint8_t>;

constexpr const char* kNoErrors = " 00 - Ошибок нет. Команда выполнена.";

double ElapsedMs(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

class ExchangeOverPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.ok());
    device_ = CreateSystemPortDevice();
    port_ = std::make_unique<SerialPort>(*device_, SystemClock(), ui_);
    ASSERT_TRUE(port_->OpenPort(peer_.path()));
    ASSERT_TRUE(port_->ConfigurePort(4));
    settings_.AccessPassword = "7391";
    link_ = std::make_unique<Link>(*port_, ui_, settings_);
  }

  Bytes Answer() const {
    return Bytes(link_->AnswerBuffer.begin(), link_->AnswerBuffer.begin() + link_->AnswerLength);
  }

  PtyPeer peer_;
  test::RecordingUi ui_;
  Settings settings_;
  std::unique_ptr<PortDevice> device_;
  std::unique_ptr<SerialPort> port_;
  std::unique_ptr<Link> link_;
};

TEST_F(ExchangeOverPty, CommandAndAnswerWithEveryHandshakeOnTheLine) {
  std::optional<Bytes> command;
  peer_.Run([&](PtyPeer& p) { command = p.ServeCommand(Bytes{0x55, 0x00, 0x00}); });
  const int result = link_->ExchangeWithAnswer(link_->CommandFrame(0x47), 0, 6, 1);
  peer_.Join();
  EXPECT_EQ(result, kExchangeOk);
  EXPECT_EQ(ui_.result, kNoErrors);
  EXPECT_TRUE(ui_.boxes.empty());
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(*command, (Bytes{0x73, 0x91, 0x47}));  // password 7391 as BCD, code 'G'
  EXPECT_EQ(Answer(), (Bytes{STX, 0x55, 0x00, 0x00, ETX, 0x56}));
  // What the PC put on the line: ENQ, the frame, EOT, ACK to the register's ENQ, ACK
  // to its frame.
  const uint8_t check = 0x73 ^ 0x91 ^ 0x47 ^ ETX;
  EXPECT_EQ(peer_.Received(), (Bytes{ENQ, STX, 0x73, 0x91, 0x47, ETX, check, EOT, ACK, ACK}));
}

TEST_F(ExchangeOverPty, AnswerFramePausedInTheMiddleIsStillAccepted) {
  // 20 ms without a byte, ten times the byte time-out, after STX 55 00.
  const Bytes payload = {0x55, 0x00, 0x10, 0x03, 0x42};
  PtyPeer::ServeOptions options;
  options.pauseAfter = 3;
  options.pauseMs = 20;
  peer_.Run([&](PtyPeer& p) { p.ServeCommand(payload, options); });
  const int result = link_->ExchangeWithAnswer(link_->CommandFrame(0x47), 1, 60, 1);
  peer_.Join();
  EXPECT_EQ(result, kExchangeOk);
  EXPECT_EQ(ui_.result, kNoErrors);
  const Bytes expected = {STX, 0x55, 0x00, 0x10, 0x03, 0x42, ETX, BuildFrame(payload).back()};
  EXPECT_EQ(Answer(), expected);
}

TEST_F(ExchangeOverPty, VariableLengthAnswerEndsWithItsFrameNotAtT7) {
  Bytes payload(20);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(0x30 + i);
  payload[1] = 0x00;  // result code
  peer_.Run([&](PtyPeer& p) { p.ServeCommand(payload); });
  const auto start = std::chrono::steady_clock::now();
  const int result = link_->ExchangeWithAnswer(link_->CommandFrame(0x46), 1, 55, 1);
  const double ms = ElapsedMs(start);
  peer_.Join();
  EXPECT_EQ(result, kExchangeOk);
  EXPECT_EQ(link_->AnswerLength, 23);  // STX, 20 payload bytes, ETX, check byte
  // T7 is 500 ms; a complete frame must not wait it out.
  EXPECT_LT(ms, 400.0);
}

TEST_F(ExchangeOverPty, CorruptedAnswerIsRefusedWithNakAndReadAgain) {
  peer_.Run([](PtyPeer& p) {
    if (!p.Expect(ENQ, 2000) || !p.Send({ACK}) || !p.ReceiveFrame(2000)) return;
    if (!p.Send({ACK}) || !p.Expect(EOT, 2000) || !p.Send({ENQ}) || !p.Expect(ACK, 2000)) return;
    Bytes bad = BuildFrame(Bytes{0x55, 0x00, 0x00});
    bad.back() ^= 0xFF;
    if (!p.Send(bad) || !p.Expect(NAK, 2000)) return;
    if (!p.Send(BuildFrame(Bytes{0x55, 0x00, 0x00})) || !p.Expect(ACK, 2000)) return;
    p.Send({EOT});
  });
  const int result = link_->ExchangeWithAnswer(link_->CommandFrame(0x47), 0, 6, 1);
  peer_.Join();
  EXPECT_EQ(result, kExchangeOk);
  EXPECT_TRUE(ui_.boxes.empty());
  const Bytes received = peer_.Received();
  ASSERT_GE(received.size(), 2u);
  EXPECT_EQ((Bytes{received[received.size() - 2], received.back()}), (Bytes{NAK, ACK}));
}

TEST_F(ExchangeOverPty, SilentRegisterGetsFiveEnqAndNoEot) {
  peer_.Run([](PtyPeer& p) { p.Drain(300); });
  Timeouts t;
  t.t2 = 20;  // keeps the five waits short in real time
  const auto start = std::chrono::steady_clock::now();
  const int result = link_->ExchangeWithAnswer(link_->CommandFrame(0x47), 0, 6, 1, t);
  const double ms = ElapsedMs(start);
  peer_.Join();
  EXPECT_EQ(result, kExchangeLinkFailure);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].caption, "Ошибка");
  EXPECT_EQ(ui_.boxes[0].text, "Нет связи!");
  EXPECT_EQ(peer_.Received(), (Bytes{ENQ, ENQ, ENQ, ENQ, ENQ}));
  EXPECT_GE(ms, 5 * 20 - 1.0);
}

TEST_F(ExchangeOverPty, DeliveryWithoutAnswer) {
  bool delivered = false;
  peer_.Run([&](PtyPeer& p) {
    delivered = p.Expect(ENQ, 2000) && p.Send({ACK}) && p.ReceiveFrame(2000) && p.Send({ACK}) &&
                p.Expect(EOT, 2000);
  });
  const uint8_t params[] = {0x01};
  EXPECT_EQ(link_->ExchangeNoAnswer(link_->CommandFrame(0x88, params)), kExchangeOk);
  peer_.Join();
  EXPECT_TRUE(delivered);
}

// The ptk-cli binary on the pty by its path, with an answer paused in the middle and a
// trace file: the output lines, and the pause seen as two runs of read bytes.
TEST(CliBinaryOverPty, ExchangeWithPausedAnswerAndTrace) {
  const char* bin = std::getenv("PTK_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  PtyPeer peer;
  ASSERT_TRUE(peer.ok());
  char dirTemplate[] = "/tmp/ptk-cli-pty-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  ASSERT_NE(dir, nullptr);
  const std::string trace = std::string(dir) + "/line.trace";
  PtyPeer::ServeOptions options;
  options.pauseAfter = 3;  // STX 55 00, 20 ms, 00 ETX check
  options.pauseMs = 20;
  std::optional<Bytes> command;
  peer.Run([&](PtyPeer& p) { command = p.ServeCommand(Bytes{0x55, 0x00, 0x00}, options); });
  const std::string line = "cd '" + std::string(dir) + "' && timeout 30 '" + bin +
                           "/src/cli/ptk-cli' --port '" + peer.path() +
                           "' --password 7391 --trace '" + trace + "' exchange 47 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[1024];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  const int rc = pclose(pipe);
  peer.Join();
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 0) << out;
  EXPECT_EQ(out, std::string("rezult: ") + kNoErrors + "\nresult: 1\nanswer: 02 55 00 00 03 56\n");
  EXPECT_EQ(command, (Bytes{0x73, 0x91, 0x47}));

  // Each line: a time in milliseconds, then the direction and the bytes.
  std::ifstream file(trace);
  std::vector<std::string> events;
  for (std::string l; std::getline(file, l);) {
    const size_t mark = l.find(" ms  ");
    ASSERT_NE(mark, std::string::npos) << l;
    double ms = -1;
    std::istringstream(l.substr(0, mark)) >> ms;
    EXPECT_GE(ms, 0.0) << l;
    const std::string event = l.substr(mark + 5);
    if (event.rfind("----", 0) != 0) events.push_back(event);
  }
  const std::vector<std::string> expected = {
      "PC->  05",       "<-PTK 06", "PC->  02 73 91 47 03 A6",
      "<-PTK 06",       "PC->  04", "<-PTK 05",
      "PC->  06",
      "<-PTK 02 55 00",  // the pause ends the first run
      "<-PTK 00 03 56", "PC->  06", "<-PTK 04",
  };
  EXPECT_EQ(events, expected);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ptk
