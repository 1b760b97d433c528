// The magnetic card reader: a serial device of its own, opened read-only and exclusively
// for one read per request, 9600 bit/s, 7 data bits, no parity, one stop bit, no flow
// control. A read ends 50 ms after the last character, after 5 s in all, or when 1024
// bytes have come. Backends: termios on POSIX, the Win32 communications API on Windows;
// tests put a scripted device behind the same interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ptk {

struct Settings;

inline constexpr int kCardReaderBaudRate = 9600;
inline constexpr int kCardReaderDataBits = 7;
inline constexpr size_t kCardReadMaxBytes = 1024;

struct CardReadTimeouts {
  uint32_t intervalMs = 50;  // silence after a character that ends the read
  uint32_t totalMs = 5000;   // the whole read, from its start
};

class CardReaderDevice {
 public:
  virtual ~CardReaderDevice() = default;

  // name: "COMn" or an absolute device path. Read-only; keeps every other opener out.
  virtual bool Open(const std::string& name) = 0;
  // Discards both driver queues.
  virtual bool Purge() = 0;
  // 9600 bit/s 7N1, no flow control, DTR and RTS off; the read time-outs.
  virtual bool Configure() = 0;
  // One read of at most maxBytes, bounded by the time-outs. True with the bytes that came
  // (possibly none); false when the device failed or vanished.
  virtual bool Read(size_t maxBytes, std::vector<uint8_t>& bytes) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

// A closed card reader device of this platform.
std::unique_ptr<CardReaderDevice> CreateSystemCardReaderDevice(CardReadTimeouts timeouts = {});

// Results of reading a card. Codes 0 to 4 come from ReadCardBytes(); 5 and 6 belong to
// the interpretation of the text that was read.
enum CardReadCode : int {
  kCardReadOk = 0,
  kCardNoReader = 1,     // no card reader port chosen
  kCardOpenFailed = 2,   // the port cannot be opened
  kCardSetupFailed = 3,  // the port cannot be set up
  kCardReadFailed = 4,   // the read failed, or nothing was read
  kCardNoSentinel = 5,   // the data hold no '?' or no ';'
  kCardBadField = 6,     // more than one ';', or a '?' inside the field
};

// The card reader's port: Settings::cardReaderName when set (a one-run choice, "COMn" or
// a device path), else "COMn" for CardReaderPort n >= 1; empty when there is none.
std::string CardReaderPortName(const Settings& settings);

// Opens the port, discards both queues, sets the line up, reads once and closes the port.
// bytes receives exactly what was read (at most kCardReadMaxBytes), and is empty unless
// the result is kCardReadOk. An empty portName gives kCardNoReader.
int ReadCardBytes(CardReaderDevice& device, const std::string& portName,
                  std::vector<uint8_t>& bytes);
// The same on this platform's device, with the port from the settings.
int ReadCardBytes(const Settings& settings, std::vector<uint8_t>& bytes);

}  // namespace ptk
