// The card read sequence against a scripted device: which step failing gives which code,
// that the port is always closed again, and where the port's name comes from.
#include "core/link/card_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/config.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

// Logs every call as "step:name"; the step named failAt fails.
class ScriptedCardReader final : public CardReaderDevice {
 public:
  std::string failAt;
  Bytes data;  // what the read delivers
  std::string log;

  bool Open(const std::string& name) override { return open_ = Step("open:" + name, "open"); }
  bool Purge() override { return Step("purge", "purge"); }
  bool Configure() override { return Step("configure", "configure"); }
  bool Read(size_t maxBytes, Bytes& bytes) override {
    bytes = data;
    return Step("read:" + std::to_string(maxBytes), "read");
  }
  void Close() override {
    Step("close", "close");
    open_ = false;
  }
  bool IsOpen() const override { return open_; }

 private:
  bool Step(const std::string& entry, const std::string& step) {
    log += (log.empty() ? "" : " ") + entry;
    return step != failAt;
  }
  bool open_ = false;
};

TEST(ReadCardBytes, EachStepFailingGivesItsCodeAndClosesThePort) {
  const Bytes card = {';', '1', '2', '3', '4', '?', '\r', '\n'};
  const std::string all = "open:COM4 purge configure read:1024 close";
  struct Case {
    const char* failAt;
    Bytes data;
    int code;
    Bytes bytes;
    std::string log;
  };
  const Case cases[] = {
      {"", card, kCardReadOk, card, all},
      {"open", card, kCardOpenFailed, {}, "open:COM4 close"},
      {"purge", card, kCardSetupFailed, {}, "open:COM4 purge close"},
      {"configure", card, kCardSetupFailed, {}, "open:COM4 purge configure close"},
      {"read", card, kCardReadFailed, {}, all},  // what came before the failure is no card
      {"", {}, kCardReadFailed, {}, all},        // nothing within the time limit
  };
  for (const Case& c : cases) {
    ScriptedCardReader device;
    device.failAt = c.failAt;
    device.data = c.data;
    Bytes bytes = {0xEE};  // stale content must not survive
    EXPECT_EQ(ReadCardBytes(device, "COM4", bytes), c.code) << c.log;
    EXPECT_EQ(bytes, c.bytes) << c.log;
    EXPECT_EQ(device.log, c.log);
    EXPECT_FALSE(device.IsOpen()) << c.log;
  }

  // No port: no reader, and no device is touched.
  ScriptedCardReader device;
  Bytes bytes = {1, 2};
  EXPECT_EQ(ReadCardBytes(device, "", bytes), kCardNoReader);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(device.log, "");
  EXPECT_EQ(ReadCardBytes(Settings{}, bytes), kCardNoReader);
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
