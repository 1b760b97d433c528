// The magnetic card reader's data: the text of the card's second track, between its
// start sentinel ';' and its end sentinel '?'. Reading the port is the card reader's
// business (core/link/card_reader.h); this turns the bytes one read returned into the
// card text or a result code, and ReadCard does both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/link/card_reader.h"

namespace ptk {

// The card text of the bytes one read returned (exactly those bytes, nothing beyond):
// cut at the last '?', the field after the first ';'. cardText is set on kCardReadOk
// and cleared otherwise (kCardReadFailed for no bytes, kCardNoSentinel, kCardBadField).
// Bytes are text in the system's code page; cardText is UTF-8.
int ParseCardData(std::span<const uint8_t> received, std::string& cardText);

// Reads one card from the reader of the settings and parses it: a CardReadCode.
int ReadCard(const Settings& settings, std::string& cardText);

}  // namespace ptk
