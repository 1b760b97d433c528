// The platform's serial device behind PortDevice: termios on POSIX, the Win32
// communications API on Windows. Chosen by the build; nothing above PortDevice sees it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/link/port_device.h"

namespace ptk {

// A closed device of this platform; Open() takes "COMn" or an absolute device path.
std::unique_ptr<PortDevice> CreateSystemPortDevice();

// Bits per second for a baud index 0..4; 0 for any other index.
int BaudRateForIndex(int baudIndex);

// A write may take this long per byte before it is abandoned (the driver's write
// time-out), plus kWriteSlackMs for the adapter's own latency.
inline constexpr uint32_t kWriteMsPerByte = 2;
inline constexpr uint32_t kWriteSlackMs = 100;

#ifndef _WIN32
// EnumerateSerialPorts() over other roots than /dev and /sys/class/tty, so that the
// selection rule can be checked on a prepared folder tree.
std::vector<std::string> EnumerateSerialPortsIn(const std::string& devDir,
                                                const std::string& sysClassTtyDir);
#endif

}  // namespace ptk
