#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/link/port_names.h"
#include "core/link/serial_device.h"

namespace ptk {
namespace {

// One family of devices per block of 32 COM numbers.
struct Family {
  const char* prefix;  // device name without its number
  int firstCom;        // COM number of device 0
  bool needsHardware;  // listed only with a real device behind it
};

constexpr int kFamilySize = 32;
constexpr Family kFamilies[] = {
    {"ttyS", 1, true},
    {"ttyUSB", 33, false},
    {"ttyACM", 65, false},
};

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The serial core registers every legacy ttyS slot whether or not a UART answers there;
// such a slot has the port type 0 (unknown). A slot without a device link has no
// hardware at all.
bool HasHardware(const std::string& sysClassTtyDir, const std::string& device) {
  const std::string base = sysClassTtyDir + "/" + device;
  if (!Exists(base + "/device")) return false;
  std::ifstream type(base + "/type");
  if (!type) return true;  // no type attribute: the device link is all there is
  long value = 0;
  if (!(type >> value)) return true;
  return value != 0;
}

}  // namespace

bool IsDevicePath(const std::string& name) {
  return !name.empty() && name[0] == '/';
}

std::string DevicePathForPort(const std::string& name) {
  if (IsDevicePath(name)) return name;
  const auto number = ComNumber(name);
  if (!number) return {};
  for (const Family& family : kFamilies) {
    const int index = *number - family.firstCom;
    if (index >= 0 && index < kFamilySize) {
      return "/dev/" + std::string(family.prefix) + std::to_string(index);
    }
  }
  return {};
}

std::vector<std::string> EnumerateSerialPortsIn(const std::string& devDir,
                                                const std::string& sysClassTtyDir) {
  // Families are visited in ascending COM order, so the list comes out sorted.
  std::vector<std::string> names;
  for (const Family& family : kFamilies) {
    for (int index = 0; index < kFamilySize; ++index) {
      const std::string device = family.prefix + std::to_string(index);
      if (!Exists(devDir + "/" + device)) continue;
      if (family.needsHardware && !HasHardware(sysClassTtyDir, device)) continue;
      names.push_back("COM" + std::to_string(family.firstCom + index));
    }
  }
  return names;
}

std::vector<std::string> EnumerateSerialPorts() {
  return EnumerateSerialPortsIn("/dev", "/sys/class/tty");
}

}  // namespace ptk
