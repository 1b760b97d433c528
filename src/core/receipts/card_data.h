// The magnetic card reader's data: the text of the card's second track, between its
// start sentinel ';' and its end sentinel '?'. Reading the port is the reader's own
// business; this turns the bytes one read returned into the card text or a result code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ptk {

// Results of reading a card.
inline constexpr int kCardRead = 0;
inline constexpr int kCardNoReaderPort = 1;   // no reader port configured
inline constexpr int kCardPortNotOpened = 2;  // the port cannot be opened
inline constexpr int kCardPortNotSetUp = 3;   // its line settings or time-outs failed
inline constexpr int kCardReadFailed = 4;     // the read failed or returned nothing
inline constexpr int kCardNoTrack = 5;        // no '?' or no ';'
inline constexpr int kCardBadTrack = 6;       // a second ';' or a '?' inside the track

// The reader's line: 9600 bit/s, 7 data bits, no parity, 1 stop bit, no flow control;
// one read of at most 1024 bytes, 50 ms between characters, 5 s in all.
inline constexpr int kCardReaderBaud = 9600;
inline constexpr int kCardReaderDataBits = 7;
inline constexpr size_t kCardReadMaxBytes = 1024;
inline constexpr uint32_t kCardReadIntervalMs = 50;
inline constexpr uint32_t kCardReadTotalMs = 5000;

// The card text of the bytes one read returned (exactly those bytes, nothing beyond):
// cut at the last '?', the field after the first ';'. cardText is set on kCardRead and
// cleared otherwise. Bytes are text in the system's code page; cardText is UTF-8.
int ParseCardData(std::span<const uint8_t> received, std::string& cardText);

}  // namespace ptk
