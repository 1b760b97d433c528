// Value encodings of the command builders and the code pages of the wire.
// Text inside the program is UTF-8; only the wire and the files speak code pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ptk {

// ASCII digits packed two per byte, first digit in the high nibble; only the low four
// bits of each character are kept ("1234567890" -> 12 34 56 78 90). An odd count packs
// the last digit into the high nibble of a final byte.
std::vector<uint8_t> PackBcd(std::string_view digits);
// (b >> 4) * 10 + (b & 0x0F): 0x59 -> 59.
int BcdToInt(uint8_t b);
// A number as packed BCD of a fixed number of digits, most significant first (the higher
// digits of a larger number are dropped): NumberToBcd(1234, 6) -> 00 12 34.
std::vector<uint8_t> NumberToBcd(uint64_t value, int digits);
uint8_t ToBcd(int value);  // 0..99 as one packed byte
// A packed BCD byte with both nibbles 0..9.
bool IsBcd(uint8_t b);
// n bytes, first byte least significant, as a signed 64-bit value (n <= 8).
int64_t BytesToInt64(const uint8_t* bytes, size_t n);

// Code page 866 and Windows-1251, each as a 128-entry table for 0x80..0xFF.
std::string Cp866ToUtf8(std::span<const uint8_t> bytes);
std::vector<uint8_t> Utf8ToCp866(std::string_view text);  // unmappable -> '?'
std::string Cp1251ToUtf8(std::span<const uint8_t> bytes);
std::vector<uint8_t> Utf8ToCp1251(std::string_view text);  // unmappable -> '?'

// The register's 100-character table, both directions: Cyrillic letters and № map to
// their code page 866 codes, the other characters of the table keep their codes, and a
// character not in the table passes unchanged, i.e. as its Windows-1251 byte ('?' when
// Windows-1251 has no such character); a byte that is no code of the table reads as
// Windows-1251.
std::vector<uint8_t> ToDeviceText(std::string_view utf8);
std::string FromDeviceText(std::span<const uint8_t> bytes);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// Characters (code points) of a UTF-8 text: the bytes that do not continue a sequence.
size_t CodePoints(std::string_view utf8);

// Upper-case two-digit hex bytes separated by single blanks ("02 55 00").
std::string HexBytes(std::span<const uint8_t> bytes);
inline std::string HexBytes(const uint8_t* data, size_t length) {
  return HexBytes(std::span<const uint8_t>(data, length));
}

}  // namespace ptk
