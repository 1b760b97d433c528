// The program's link to a virtual register behind the scripted port, on the fake clock:
// both command paths run against a real register state, every wait passes instantly.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "core/link/frame_exchange.h"
#include "core/link/serial_port.h"
#include "core/settings/config.h"
#include "emulator/virtual_register.h"
#include "support/fake_clock.h"
#include "support/link_rig.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace ptk::test {

class VirtualLinkTest : public ::testing::Test, protected LinkRig {
 protected:
  using Bytes = std::vector<uint8_t>;

  VirtualLinkTest() : LinkRig(1000) {
    device.Configure(4);
    reg.answerFor = [this](std::span<const uint8_t> command) {
      commands.emplace_back(command.begin(), command.end());
      if (beforeCommand) beforeCommand(commands.back());
      return virtualRegister.Execute(command).payload;
    };
  }
  void UseModel(uint16_t model) {
    virtualRegister.state().model = model;
    virtualRegister.Reset();
  }
  // The commands received with this code, their parameters only.
  std::vector<Bytes> Params(uint8_t code) const {
    std::vector<Bytes> out;
    for (const Bytes& c : commands)
      if (c.size() >= 3 && c[2] == code) out.emplace_back(c.begin() + 3, c.end());
    return out;
  }

  emu::VirtualRegister virtualRegister{clock};
  std::vector<Bytes> commands;
  std::function<void(const Bytes&)> beforeCommand;  // runs before the register executes
};

}  // namespace ptk::test
