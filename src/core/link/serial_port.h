// The port operations the frame exchange is built on: a whole-buffer write, a read
// that counts logical (unstuffed) bytes, and timed variants that retry until a limit.
// Runs unchanged on a real device or on a scripted one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/link/clock.h"
#include "core/link/port_device.h"
#include "core/shell/user_interface.h"

namespace ptk {

class SerialPort {
 public:
  SerialPort(PortDevice& device, Clock& clock, UserInterface& ui)
      : device_(&device), clock_(&clock), ui_(&ui) {}

  // portName: "COMn" or an absolute device path.
  bool OpenPort(const std::string& portName);
  bool ConfigurePort(int baudIndex);
  void ClosePort();
  bool IsOpen() const;

  bool ClearPortErrors();
  bool PurgePort();
  // Clears errors, purges both queues (bytes the register sent earlier are discarded),
  // writes the whole buffer.
  bool WritePort(const uint8_t* buffer, size_t length, size_t* written);
  // Reads bytes one at a time into buffer[0..capacity) until logicalLength logical bytes
  // arrived: a DLE not preceded by an uncounted DLE does not count, so DLE DLE and DLE ETX
  // count as one. Fails when a one-byte read times out. rawCount: bytes stored.
  bool ReadPort(uint8_t* buffer, size_t capacity, size_t logicalLength, size_t* rawCount);
  // Retry until success or limitMs passed (unsigned tick arithmetic). TimedRead pumps
  // messages before every attempt and fails at once when the application is quitting;
  // every attempt starts again at buffer[0].
  bool TimedWrite(const uint8_t* buffer, size_t length, uint32_t limitMs);
  bool TimedRead(uint8_t* buffer, size_t capacity, size_t logicalLength, uint32_t limitMs,
                 size_t* rawCount = nullptr);
  bool PumpMessages();

  // Reads one answer frame (STX, stuffed payload, ETX, check byte) into
  // buffer[0..capacity), accumulating bytes across the 2 ms polls. Ends as soon as the
  // frame is complete, when the first byte is not STX, when the buffer is full, or when
  // limitMs passed. True when the frame is complete and holds at least minLogical logical
  // bytes (its unstuffed length, STX to the check byte). rawCount: bytes stored.
  bool ReadFrame(uint8_t* buffer, size_t capacity, size_t minLogical, uint32_t limitMs,
                 size_t* rawCount);

  // The line has one owner at a time: each exchange, on either route, holds it for the
  // length of one call. While an exchange waits it pumps window messages, and a command
  // started from a handler then finds the line taken and is refused before any byte.
  bool LineBusy() const { return lineTaken_; }
  class LineHold {
   public:
    explicit LineHold(SerialPort& port) : port_(port), held_(!port.lineTaken_) {
      port_.lineTaken_ = true;
    }
    ~LineHold() {
      if (held_) port_.lineTaken_ = false;
    }
    LineHold(const LineHold&) = delete;
    LineHold& operator=(const LineHold&) = delete;
    // False when another exchange already holds the line.
    bool held() const { return held_; }

   private:
    SerialPort& port_;
    bool held_;
  };

  PortDevice& device() { return *device_; }
  Clock& clock() { return *clock_; }
  UserInterface& ui() { return *ui_; }
  void set_device(PortDevice& device) { device_ = &device; }

 private:
  PortDevice* device_;
  Clock* clock_;
  UserInterface* ui_;
  bool deviceFailed_ = false;  // the last ReadPort ended because the device failed
  bool lineTaken_ = false;     // an exchange holds the line (LineHold)
};

}  // namespace ptk
