// Port names: "COMn" and absolute device paths are both accepted wherever a port name is.
// On Linux COM1-COM32 are /dev/ttyS0-31, COM33-COM64 /dev/ttyUSB0-31 and COM65-COM96
// /dev/ttyACM0-31.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ptk {

// n for "COMn" (case-insensitive "COM", n >= 1); nullopt otherwise.
std::optional<int> ComNumber(const std::string& name);
bool IsDevicePath(const std::string& name);
// The device to open for a port name: a device path as it is, "COMn" by the rule above
// (on Windows "\\.\COMn"); empty when the name is neither.
std::string DevicePathForPort(const std::string& name);
// COM names of the serial devices that exist, ascending by number.
std::vector<std::string> EnumerateSerialPorts();

}  // namespace ptk
