// A link to the scripted register on the fake clock, for the command tests of the shell
// and the state queries.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/link_rig.h"

namespace ptk::test {

// The link rig with the access password 1234 (packs as 12 34) on COM1 at 9600 bit/s.
class ShellLinkTest : public testing::Test, public LinkRig {
 protected:
  ShellLinkTest() {
    settings.AccessPassword = "1234";
    EXPECT_TRUE(port.OpenPort("COM1"));
    EXPECT_TRUE(port.ConfigurePort(0));
  }

  // The one command payload the register received.
  std::vector<uint8_t> OnlyCommand() const {
    EXPECT_EQ(reg.commands.size(), 1u);
    return reg.commands.empty() ? std::vector<uint8_t>{} : reg.commands.front();
  }

  // The tick of the n-th write of exactly one byte `value` (n from 0), or -1.
  long TickOfWrite(uint8_t value, int n) const {
    for (const auto& w : device.writes)
      if (w.bytes.size() == 1 && w.bytes[0] == value && n-- == 0) return w.tick;
    return -1;
  }
};

}  // namespace ptk::test
