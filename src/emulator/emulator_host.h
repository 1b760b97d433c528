// Runs the virtual register on a pseudo-terminal in a background thread of this process:
// the in-process register behind `ptk-tester --emulator`, `ptk-cli --emulator` and the
// integration tests. The program opens SlavePath() like any serial device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ptk::emu {

class VirtualRegister;
struct EngineStats;

struct EmulatorOptions {
  std::string stateFile;   // load at start and save at stop when not empty
  std::string tapeFile;    // the paper tape as UTF-8 text, when not empty
  std::string faults;      // fault list, as `ptk-emulator --faults`
  bool wireSpeed = false;  // pace bytes at the line speed (115200 bit/s unless set)
  int wireBaud = 115200;
  int model = 0;  // 0: the default model
  // Sizes of the firmware images of the control block and of the fiscal-memory block
  // (0: the defaults, 65536 and 2048 bytes).
  uint32_t ptkFirmwareSize = 0;
  uint32_t fpFirmwareSize = 0;
  // A virtual card reader on a second pseudo-terminal (on when card is not empty too),
  // with the card it sends when the program reads it.
  bool cardReader = false;
  std::string card;
  // Divides the register's own waits on the PC (frame start, EOT, ACKs; see
  // EngineLimits) for runs whose PC side uses time limits scaled down as much; 1: as is.
  uint32_t lineLimitsDivisor = 1;
  // Called on the register's thread for each transfer the PC began while the register
  // was executing a command or sending its answer (besides the note on the tape).
  std::function<void()> onLineViolation;
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
  // Only the lines from index first on, for a viewer that appends what is new.
  std::vector<std::string> TapeLinesFrom(size_t first) const;

  // Called on the register's thread after every line it prints (nullptr: none); a window
  // that shows the tape posts itself a message from it. Unsetting waits for a running call.
  void SetTapeListener(std::function<void()> listener);

  // Runs fn on the live register (state, faults, tape) while the line thread holds off.
  // Usable before Start() and after Stop() too.
  void WithRegister(const std::function<void(VirtualRegister&)>& fn);
  // Counters of the protocol engine (frames accepted and refused, answers sent, ...).
  EngineStats Stats() const;
  // Waits until the register has nothing left to send, will send nothing by itself when a
  // wait of its own runs out (a repeated answer ENQ, a NAK to a frame cut short), and its
  // last bytes are on the line. It may still wait silently for the PC (the frame after
  // its ACK, the EOT, the ACK to its answer frame): a new ENQ from the PC ends such a
  // wait. False when that did not happen within limitMs.
  bool WaitLineQuiet(uint32_t limitMs);
  // Why Start() failed (a bad fault list, an unreadable state file, no pty).
  std::string LastError() const;
  // Whether Start() failed on the state file (unreadable, or a line out of range or
  // malformed): the caller's input is at fault, not the system.
  bool StateFileRefused() const;
  // Saves the state now when a state file is set (Stop() saves it too).
  bool SaveStateNow();

  // The virtual card reader's device; empty when the host has no card reader.
  const std::string& CardReaderPath() const;
  // The card the reader sends at each read of the program (empty: no card). Any thread;
  // false when the host has no card reader.
  bool SetCard(const std::string& text);
  std::string Card() const;
  // Sends the current card at once, as a swipe while the program waits.
  bool Swipe();

  class Impl;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace ptk::emu
