#include "core/link/serial_device.h"

#include "core/settings/config.h"

namespace ptk {

int BaudRateForIndex(int baudIndex) {
  return (baudIndex >= 0 && baudIndex < 5) ? kBaudRates[baudIndex] : 0;
}

}  // namespace ptk
