// The magnetic card reader: a serial device of its own, opened read-only and exclusively
// for one read per request, 9600 bit/s, 7 data bits, no parity, one stop bit, no flow
// control, DTR and RTS off. A read ends 50 ms after the last character, after 5 s in all,
// or when 1024 bytes have come. The port is the platform's serial device (PortDevice);
// tests put a scripted device behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/link/clock.h"
#include "core/link/port_device.h"

namespace ptk {

struct Settings;

inline constexpr LineFormat kCardReaderLine{
    .baudRate = 9600, .dataBits = 7, .parity = Parity::None, .stopBits = 1, .dtrRtsOff = true};
inline constexpr size_t kCardReadMaxBytes = 1024;

struct CardReadTimeouts {
  uint32_t intervalMs = 50;  // silence after a character that ends the read
  uint32_t totalMs = 5000;   // the whole read, from its start
};

// One read of at most maxBytes from an open device: it ends timeouts.intervalMs after the
// last byte that came, timeouts.totalMs after its start, or when maxBytes have come. True
// with the bytes that came (possibly none); false when the device failed or vanished.
bool TimedRead(PortDevice& device, Clock& clock, const CardReadTimeouts& timeouts, size_t maxBytes,
               std::vector<uint8_t>& bytes);

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

// Opens the port read-only, discards both queues, sets the card reader's line up, reads
// once (TimedRead) and closes the port. bytes receives exactly what was read (at most
// kCardReadMaxBytes), and is empty unless the result is kCardReadOk. An empty portName
// gives kCardNoReader.
int ReadCardBytes(PortDevice& device, const std::string& portName, std::vector<uint8_t>& bytes,
                  const CardReadTimeouts& timeouts = {}, Clock& clock = SystemClock());
// The same on this platform's device, with the port from the settings.
int ReadCardBytes(const Settings& settings, std::vector<uint8_t>& bytes);

}  // namespace ptk
