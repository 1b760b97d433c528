// The virtual register driven directly, for the emulator's tests: commands with the
// factory communication password, their result codes, mode entry, a receipt, a Z report,
// fiscalisation and the tape, on a fake clock and a host time the test sets.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/virtual_register.h"
#include "support/bytes.h"
#include "support/fake_clock.h"

namespace ptk::test {

class RegisterRig : public ::testing::Test {
 public:
  explicit RegisterRig(int64_t hostSeconds) : host(hostSeconds) {
    reg.SetHostTime([this] { return host; });
  }

  // The answer payload (marker, result code, data) of a command with its parameters.
  Bytes Run(uint8_t code, const Bytes& params = {}) {
    return reg.Execute(Cat({{0x73, 0x91, code}, params})).payload;
  }
  uint8_t Code(uint8_t code, const Bytes& params = {}) { return Run(code, params).at(1); }
  uint8_t ModeByte() { return Run(0x45).at(1); }
  // Leaves the current mode, then enters mode with the password's digits.
  uint8_t Enter(int mode, const char* password) {
    Code(0x52);
    return Code(0x56, Cat({{static_cast<uint8_t>(mode)}, PackBcd(password)}));
  }
  // A receipt of the type with one item of the price in the section, paid in cash.
  void Receipt(int64_t price, uint8_t type = 1, uint8_t section = 1) {
    ASSERT_EQ(Enter(1, "00000001"), 0x00);
    ASSERT_EQ(Code(0x92, {0, type}), 0x00);
    ASSERT_EQ(Code(type == 1 ? 0x48 : 0x57, Cat({{0}, Money(price), Money(1000), {section}})),
              0x00);
    ASSERT_EQ(Code(0x4A, Cat({{0, 1}, Money(0)})), 0x00);
  }
  // Lets the printer finish and says in which mode byte the register then rests.
  uint8_t Printed() {
    clock.Advance(60000);
    return ModeByte();
  }
  // A Z report printed to its end.
  void ZReport() {
    ASSERT_EQ(Enter(3, "00000029"), 0x00);
    ASSERT_EQ(Code(0x5A), 0x00);
    ASSERT_EQ(Printed(), 0x03);
  }
  // Fiscalisation with registration number 77, ИНН 123 and the fiscal-memory password.
  void Fiscalize(const char* password = "00000000") {
    ASSERT_EQ(Enter(5, "00000000"), 0x00);
    ASSERT_EQ(Code(0x62, Cat({NumberToBcd(77, 10), NumberToBcd(123, 12), PackBcd(password)})),
              0x00);
  }
  bool TapeHas(const std::string& line) {
    const std::vector<std::string> lines = reg.tape().Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  FakeClock clock;
  int64_t host;
  emu::VirtualRegister reg{clock};
};

}  // namespace ptk::test
