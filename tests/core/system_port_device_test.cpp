// The platform's serial device (termios or Win32) without a port behind it: opening a
// missing or malformed port fails, and a device that is not open refuses every operation
// at once instead of touching an invalid descriptor or handle.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/link/serial_device.h"

namespace ptk {
namespace {

// A well-formed name of a port that does not exist.
#ifdef _WIN32
constexpr const char* kMissingPort = "COM255";
#else
constexpr const char* kMissingPort = "/dev/ptk-no-such-port";
#endif

TEST(SystemPortDevice, MissingOrMalformedPortsDoNotOpen) {
  for (const char* name : {kMissingPort, "", "LPT1", "COM0", "COM1x", "ttyS0"}) {
    SCOPED_TRACE(name);
    auto device = CreateSystemPortDevice();
    EXPECT_FALSE(device->Open(name));
    EXPECT_FALSE(device->IsOpen());
  }
}

TEST(SystemPortDevice, DeviceThatIsNotOpenRefusesEverything) {
  const struct {
    const char* state;
    std::function<void(PortDevice&)> prepare;
  } states[] = {
      {"never opened", [](PortDevice&) {}},
      {"after a failed open", [](PortDevice& d) { d.Open(kMissingPort); }},
      {"closed twice", [](PortDevice& d) { d.Close(), d.Close(); }},
  };
  for (const auto& s : states) {
    SCOPED_TRACE(s.state);
    auto device = CreateSystemPortDevice();
    s.prepare(*device);
    const uint8_t enq = 0x05;
    uint8_t byte = 0xAA;
    EXPECT_FALSE(device->IsOpen());
    EXPECT_FALSE(device->Configure(4));
    EXPECT_FALSE(device->ClearErrors());
    EXPECT_FALSE(device->Purge());
    EXPECT_FALSE(device->Write(&enq, 1));
    EXPECT_EQ(device->ReadByte(byte), ReadStatus::Failed);
    EXPECT_EQ(byte, 0xAA);
    EXPECT_FALSE(device->SetReadTimeout(50));
  }
}

}  // namespace
}  // namespace ptk
