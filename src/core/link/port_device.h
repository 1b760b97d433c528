// A serial device: open by name for reading and writing or for reading only, a raw line
// of a given format (the register's 8N1 at one of five speeds, the card reader's 7N1),
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

enum class OpenMode { ReadWrite, ReadOnly };

enum class Parity { None, Odd, Even };

// The format of a raw line without flow control.
struct LineFormat {
  int baudRate = 9600;
  int dataBits = 8;
  Parity parity = Parity::None;
  int stopBits = 1;
  // DTR and RTS dropped as the line is set up (the card reader). The Win32 device keeps
  // both off on every line; the POSIX device otherwise leaves them as the driver has them.
  bool dtrRtsOff = false;
  bool operator==(const LineFormat&) const = default;
};

// The register's line: 8N1 at the speed of the baud table's index 0..4 (9600, 19200,
// 38400, 57600, 115200 bit/s); a speed of 0, which no device takes, for any other index.
LineFormat RegisterLineFormat(int baudIndex);
// "8N1", "7E2": data bits, parity, stop bits.
std::string LineFormatName(const LineFormat& format);

class PortDevice {
 public:
  virtual ~PortDevice() = default;

  // name: "COMn" or an absolute device path. Opening makes the device exclusive.
  bool Open(const std::string& name, OpenMode mode = OpenMode::ReadWrite) {
    return OpenDevice(name, mode);
  }
  // Sets the line's format, no flow control; read time-out back to 2 ms. False when the
  // device cannot take the format.
  bool Configure(const LineFormat& format) { return ConfigureLine(format); }
  // The register's line at a baud index (RegisterLineFormat).
  bool Configure(int baudIndex) { return ConfigureLine(RegisterLineFormat(baudIndex)); }
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

 protected:
  virtual bool OpenDevice(const std::string& name, OpenMode mode) = 0;
  virtual bool ConfigureLine(const LineFormat& format) = 0;
};

}  // namespace ptk
