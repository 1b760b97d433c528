// The register's side of the line as the fuzzer's input decides it: whenever the program
// writes, the next chunks of the input arrive on the scripted port, each after a pause
// taken from the input, so that answers come split at any point, late, early or never.
//
// A chunk is a header byte (bits 0..6: up to 127 bytes; bit 7: another chunk follows
// before the program's next write), a pause byte (below 128: that many ms; from 128: (b -
// 128) × 100 ms, up to 12.7 s, long enough to pass any time-out) and the bytes.
#pragma once

#include <cstdint>

#include "fuzz_input.h"
#include "support/scripted_port.h"

namespace ptk::fuzz {

inline uint32_t PauseMs(uint8_t b) {
  return b < 128 ? b : static_cast<uint32_t>(b - 128) * 100;
}

class LineFeeder {
 public:
  LineFeeder(test::ScriptedPort& port, Input& input) : port_(&port), input_(&input) {
    port.onWrite = [this](std::span<const uint8_t>) { Deliver(); };
  }
  ~LineFeeder() { port_->onWrite = nullptr; }

  void Deliver() {
    uint32_t pause = 0;
    for (int chunk = 0; chunk < 64 && !input_->Empty(); ++chunk) {
      const uint8_t header = input_->Byte();
      pause += PauseMs(input_->Byte());
      port_->Arrive(input_->Bytes(header & 0x7F), pause);
      if ((header & 0x80) == 0) break;
    }
  }

 private:
  test::ScriptedPort* port_;
  Input* input_;
};

}  // namespace ptk::fuzz
