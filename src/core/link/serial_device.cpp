#include "core/link/serial_device.h"

#include "core/settings/config.h"

namespace ptk {

int BaudRateForIndex(int baudIndex) {
  return (baudIndex >= 0 && baudIndex < 5) ? kBaudRates[baudIndex] : 0;
}

LineFormat RegisterLineFormat(int baudIndex) {
  LineFormat format;
  format.baudRate = BaudRateForIndex(baudIndex);
  return format;
}

std::string LineFormatName(const LineFormat& format) {
  static const char kParity[] = {'N', 'O', 'E'};
  return std::to_string(format.dataBits) + kParity[static_cast<int>(format.parity)] +
         std::to_string(format.stopBits);
}

}  // namespace ptk
