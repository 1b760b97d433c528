// A serial device as the link needs it: open by name, raw 8N1 at one of five speeds,
// purge, whole-buffer writes and one-byte reads bounded by a read time-out.
// Backends: the POSIX termios device, the Win32 device, the line trace decorator and,
// in tests, a scripted in-memory port. Nothing above this interface knows termios or Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ptk {

enum class ReadStatus {
  Byte,     // one byte arrived
  Timeout,  // the read time-out passed without a byte
  Failed,   // the device failed or vanished (POLLHUP, EIO, ...)
};

// Per-byte read time-out that Configure() sets: a one-byte read completes after at
// most this long, with or without a byte.
inline constexpr uint32_t kByteReadTimeoutMs = 2;

class PortDevice {
 public:
  virtual ~PortDevice() = default;

  // name: "COMn" or an absolute device path. Opening makes the device exclusive.
  virtual bool Open(const std::string& name) = 0;
  // 8 data bits, no parity, one stop bit, no flow control, speed from the baud table
  // (index 0..4: 9600, 19200, 38400, 57600, 115200); read time-out back to 2 ms.
  virtual bool Configure(int baudIndex) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Clears line error flags (framing, overrun); true when the device accepted it.
  virtual bool ClearErrors() = 0;
  // Discards both driver queues.
  virtual bool Purge() = 0;
  // Writes the whole buffer; true when every byte was written.
  virtual bool Write(const uint8_t* data, size_t length) = 0;
  // Waits up to the current read time-out for one byte.
  virtual ReadStatus ReadByte(uint8_t& byte) = 0;
  // Replaces the read time-out (the direct command path sets its own phase time-outs;
  // they stay in force until Configure() runs again).
  virtual bool SetReadTimeout(uint32_t ms) = 0;
  virtual uint32_t ReadTimeout() const = 0;
};

}  // namespace ptk
