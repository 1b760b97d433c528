// The program's link to the scripted register on the fake clock: the clock, the scripted
// port and register, the recording interface, the port, the settings (access password
// 7391) and the link, ready to run commands.
#pragma once

#include <cstdint>
#include <vector>

#include "core/link/frame_exchange.h"
#include "core/link/serial_port.h"
#include "core/settings/config.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace ptk::test {

struct LinkRig {
  explicit LinkRig(uint32_t start = 0) : clock(start) {
    device.Open("/dev/scripted");
    settings.AccessPassword = "7391";
  }
  // The last command payload the register received (empty when none).
  std::vector<uint8_t> Sent() const {
    return reg.commands.empty() ? std::vector<uint8_t>{} : reg.commands.back();
  }

  FakeClock clock;
  ScriptedPort device{clock};
  ScriptedRegister reg{device};
  RecordingUi ui;
  SerialPort port{device, clock, ui};
  Settings settings;
  Link link{port, ui, settings};
};

}  // namespace ptk::test
