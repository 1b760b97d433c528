// Runs the virtual register on a pseudo-terminal in a background thread of this process:
// the in-process register behind `ptk-tester --emulator`, `ptk-cli --emulator` and the
// integration tests. The program opens SlavePath() like any serial device.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ptk::emu {

struct EmulatorOptions {
  std::string stateFile;   // load at start and save at stop when not empty
  std::string tapeFile;    // the paper tape as UTF-8 text, when not empty
  std::string faults;      // fault specification, as `ptk-emulator --faults`
  bool wireSpeed = false;  // pace bytes at the line speed (115200 bit/s unless set)
  int wireBaud = 115200;
  int model = 0;           // 0: the default model
};

class EmulatorHost {
 public:
  explicit EmulatorHost(EmulatorOptions options = {});
  ~EmulatorHost();
  EmulatorHost(const EmulatorHost&) = delete;
  EmulatorHost& operator=(const EmulatorHost&) = delete;

  // Opens the pseudo-terminal (raw before anything is written) and starts serving.
  bool Start();
  void Stop();
  const std::string& SlavePath() const;

  // Thread-safe snapshot of everything printed so far, one entry per tape line.
  std::vector<std::string> TapeLines() const;

  class Impl;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace ptk::emu
