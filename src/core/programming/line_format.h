// The receipt header and footer lines (table 6) as the person edits them and as the
// register keeps them. In the text, "\x" is the character x taken literally, "~x" is the
// byte 0x09 followed by x, and "{IMG n:offset}" is a picture record (0x0A, the picture
// number, the horizontal offset as 16 bits high byte first). In the bytes, "\", "{" and
// "~" are themselves. The text is UTF-8; the bytes are code page 866.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ptk {

inline constexpr size_t kReceiptLineMaxBytes = 90;  // output beyond this is dropped
inline constexpr size_t kReceiptLineMaxChars = 90;  // text made from the bytes
inline constexpr uint8_t kLineTabByte = 0x09;
inline constexpr uint8_t kLinePictureByte = 0x0A;

// Text to bytes. offsetInEights: the model stores horizontal offsets in units of 8 dots
// (the third known model), so the offset of a tag is divided by 8. Returns 0, or 160
// ("Недопустимый параметр") for a "~" or "\" at the end of the line, a "{" without "}",
// a tag whose first word is not "IMG", or a missing or non-numeric number or offset
// (an offset must fit 16 bits). The output is cut at 90 bytes; an empty text gives no
// bytes (the caller sends an empty line as one zero byte).
int ReceiptLineToBytes(std::string_view text, bool offsetInEights, std::vector<uint8_t>& out);

// Bytes to text, ending at the first zero byte and cut at 90 characters of the code page;
// a picture record shows its offset as stored. An incomplete picture record at the end is
// dropped.
std::string ReceiptLineToText(std::span<const uint8_t> bytes);

// The picture tag "{IMG n:offset}" as the tables window inserts it.
std::string PictureTag(int number, int offset);

}  // namespace ptk
