// The program's link to the virtual register over a real pseudo-terminal: the register's
// host, the system port device opened on its pseudo-terminal at 115200 bit/s, the port,
// the settings (access password 7391) and the link. Shared by the integration tests, the
// soak and the benchmarks; Start says why it failed in error.
#pragma once

#include <memory>
#include <string>

#include "core/link/clock.h"
#include "core/link/frame_exchange.h"
#include "core/link/serial_device.h"
#include "core/link/serial_port.h"
#include "core/settings/config.h"
#include "core/shell/user_interface.h"
#include "emulator/emulator_host.h"

namespace ptk::test {

struct EmulatedLink {
  explicit EmulatedLink(UserInterface& ui, emu::EmulatorOptions options = {},
                        Clock& clock = SystemClock())
      : host(std::move(options)), device(CreateSystemPortDevice()), port(*device, clock, ui) {
    settings.AccessPassword = "7391";
  }
  EmulatedLink(const EmulatedLink&) = delete;
  EmulatedLink& operator=(const EmulatedLink&) = delete;
  ~EmulatedLink() { Stop(); }

  // Starts the register and opens the port on its pseudo-terminal at the speed of the
  // settings' list (4: 115200 bit/s).
  bool Start(int baudIndex = 4) {
    if (!host.Start()) {
      error = "cannot start the virtual register: " + host.LastError();
      return false;
    }
    if (!port.OpenPort(host.SlavePath()) || !port.ConfigurePort(baudIndex)) {
      error = "cannot open " + host.SlavePath();
      return false;
    }
    return true;
  }
  void Stop() {
    port.ClosePort();
    host.Stop();
  }

  emu::EmulatorHost host;
  std::unique_ptr<PortDevice> device;
  SerialPort port;
  Settings settings;
  Link link{port, port.ui(), settings};
  std::string error;
};

}  // namespace ptk::test
