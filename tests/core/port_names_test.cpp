#include "core/link/port_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/link/serial_device.h"

namespace ptk {
namespace {

struct NameCase {
  const char* name;
  std::optional<int> number;
  const char* device;  // what DevicePathForPort gives on this platform ("" for none)
};

#ifndef _WIN32
const NameCase kNames[] = {
    {"COM1", 1, "/dev/ttyS0"},       // first fixed port
    {"COM32", 32, "/dev/ttyS31"},    // last fixed port
    {"COM33", 33, "/dev/ttyUSB0"},   // first USB adapter
    {"COM64", 64, "/dev/ttyUSB31"},  // last USB adapter
    {"COM65", 65, "/dev/ttyACM0"},   // first CDC-ACM device
    {"COM96", 96, "/dev/ttyACM31"},  // last CDC-ACM device
    {"COM97", 97, ""},               // beyond the rule
    {"COM10", 10, "/dev/ttyS9"},     // two digits: the number, not its first digit
    {"com5", 5, "/dev/ttyS4"},       // case does not matter
    {"Com7", 7, "/dev/ttyS6"},
    {"COM0", std::nullopt, ""},   // numbers start at 1
    {"COM01", std::nullopt, ""},  // no leading zeros
    {"COMx", std::nullopt, ""},
    {"COM", std::nullopt, ""},
    {"COM-1", std::nullopt, ""},
    {"COM+1", std::nullopt, ""},
    {"COM 1", std::nullopt, ""},
    {"COM1 ", std::nullopt, ""},  // trailing blank
    {"COM1x", std::nullopt, ""},
    {"COM99999999999", std::nullopt, ""},  // does not fit
    {"LPT1", std::nullopt, ""},
    {"", std::nullopt, ""},
    {"/dev/pts/3", std::nullopt, "/dev/pts/3"},  // absolute paths pass unchanged
    {"/dev/ttyUSB0", std::nullopt, "/dev/ttyUSB0"},
    {"dev/ttyS0", std::nullopt, ""},  // relative paths are not device names
    {"./ttyS0", std::nullopt, ""},
    {"ttyS0", std::nullopt, ""},
};
#else
const NameCase kNames[] = {
    {"COM1", 1, "\\\\.\\COM1"},
    {"COM10", 10, "\\\\.\\COM10"},
    {"COM97", 97, "\\\\.\\COM97"},
    {"com5", 5, "\\\\.\\COM5"},
    {"COM0", std::nullopt, ""},
    {"COMx", std::nullopt, ""},
    {"\\\\.\\COM3", std::nullopt, "\\\\.\\COM3"},
    {"/dev/pts/3", std::nullopt, ""},
    {"ttyS0", std::nullopt, ""},
};
#endif

TEST(PortNames, ComNumberAndDevicePath) {
  for (const NameCase& c : kNames) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ComNumber(c.name), c.number);
    EXPECT_EQ(DevicePathForPort(c.name), c.device);
    EXPECT_EQ(IsDevicePath(c.name), c.device[0] != '\0' && !c.number);
  }
}

TEST(PortNames, BaudRates) {
  const std::pair<int, int> rates[] = {{0, 9600},   {1, 19200}, {2, 38400}, {3, 57600},
                                       {4, 115200}, {5, 0},     {-1, 0}};
  for (const auto& [index, rate] : rates) EXPECT_EQ(BaudRateForIndex(index), rate) << index;
}

#ifndef _WIN32
// A prepared /dev and /sys/class/tty: which devices count as ports, and in what order.
class Enumeration : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("ptk-enum-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(dev());
    std::filesystem::create_directories(sys());
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::string dev() const { return (root_ / "dev").string(); }
  std::string sys() const { return (root_ / "sys").string(); }

  // A device node (a plain file will do for the rule) and its sysfs entry.
  void Device(const std::string& name, bool deviceLink, const char* type = nullptr) {
    std::ofstream(dev() + "/" + name).put('\0');
    const auto entry = std::filesystem::path(sys()) / name;
    std::filesystem::create_directories(entry);
    if (deviceLink) std::filesystem::create_directory(entry / "device");
    if (type) std::ofstream(entry / "type") << type << "\n";
  }

  std::filesystem::path root_;
};

TEST_F(Enumeration, ListsRealDevicesInComOrder) {
  Device("ttyACM0", true);
  Device("ttyUSB3", true);
  Device("ttyUSB0", true);
  Device("ttyS10", true, "4");  // a UART answers here
  Device("ttyS0", true, "4");
  Device("ttyS1", true, "0");   // slot registered, no UART behind it
  Device("ttyS2", false);       // no device at all
  Device("ttyS3", true);        // device without a type attribute
  Device("ttyS32", true, "4");  // outside the rule
  Device("ttyXYZ", true);
  const std::vector<std::string> expected = {"COM1", "COM4", "COM11", "COM33", "COM36", "COM65"};
  EXPECT_EQ(EnumerateSerialPortsIn(dev(), sys()), expected);
}

TEST_F(Enumeration, NothingThere) {
  EXPECT_TRUE(EnumerateSerialPortsIn(dev(), sys()).empty());
}

TEST_F(Enumeration, UsbDevicesNeedNoSysfsEntry) {
  std::ofstream(dev() + "/ttyUSB1").put('\0');
  std::ofstream(dev() + "/ttyS5").put('\0');  // ttyS without sysfs: not listed
  EXPECT_EQ(EnumerateSerialPortsIn(dev(), sys()), std::vector<std::string>{"COM34"});
}
#endif

}  // namespace
}  // namespace ptk
