#include "core/programming/line_format.h"

#include <charconv>

#include "core/link/direct_command.h"
#include "core/link/encoding.h"

namespace ptk {

namespace {

constexpr uint8_t kBackslash = 0x5C;
constexpr uint8_t kOpenBrace = 0x7B;
constexpr uint8_t kCloseBrace = 0x7D;
constexpr uint8_t kTilde = 0x7E;

bool IsTagSeparator(uint8_t c) {
  return c == ' ' || c == '\t' || c == ',' || c == ':' || c == ';';
}

// The words of a picture tag's inside, split at blanks, tabs, commas, colons and
// semicolons (runs of them separate one pair of words).
std::vector<std::string_view> TagWords(std::string_view inside) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < inside.size()) {
    while (i < inside.size() && IsTagSeparator(static_cast<uint8_t>(inside[i]))) ++i;
    const size_t start = i;
    while (i < inside.size() && !IsTagSeparator(static_cast<uint8_t>(inside[i]))) ++i;
    if (i > start) words.push_back(inside.substr(start, i - start));
  }
  return words;
}

bool ParseDecimal(std::string_view word, unsigned long& value) {
  auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  return ec == std::errc() && ptr == word.data() + word.size();
}

}  // namespace

int ReceiptLineToBytes(std::string_view text, bool offsetInEights, std::vector<uint8_t>& out) {
  out.clear();
  const std::vector<uint8_t> oem = Utf8ToCp866(text);
  auto put = [&out](uint8_t b) {
    if (out.size() < kReceiptLineMaxBytes) out.push_back(b);
  };
  for (size_t i = 0; i < oem.size(); ++i) {
    const uint8_t c = oem[i];
    if (c == kBackslash || c == kTilde) {
      if (i + 1 >= oem.size()) return direct_error::kInvalidParameter;
      if (c == kTilde) put(kLineTabByte);
      put(oem[++i]);
      continue;
    }
    if (c != kOpenBrace) {
      put(c);
      continue;
    }
    size_t close = i + 1;
    while (close < oem.size() && oem[close] != kCloseBrace) ++close;
    if (close >= oem.size()) return direct_error::kInvalidParameter;
    const std::string_view inside(reinterpret_cast<const char*>(oem.data()) + i + 1, close - i - 1);
    const std::vector<std::string_view> words = TagWords(inside);
    unsigned long number = 0, offset = 0;
    if (words.size() < 2 || words[0] != "IMG" || !ParseDecimal(words[1], number))
      return direct_error::kInvalidParameter;
    if (words.size() >= 3 && (!ParseDecimal(words[2], offset) || offset > 0xFFFF))
      return direct_error::kInvalidParameter;
    if (offsetInEights) offset /= 8;
    put(kLinePictureByte);
    put(static_cast<uint8_t>(number & 0xFF));
    put(static_cast<uint8_t>(offset >> 8));
    put(static_cast<uint8_t>(offset & 0xFF));
    i = close;
  }
  return direct_error::kOk;
}

std::string ReceiptLineToText(std::span<const uint8_t> bytes) {
  std::string oem;
  for (size_t i = 0; i < bytes.size() && bytes[i] != 0; ++i) {
    const uint8_t b = bytes[i];
    if (b == kBackslash || b == kOpenBrace || b == kTilde) {
      oem += '\\';
      oem += static_cast<char>(b);
    } else if (b == kLineTabByte) {
      oem += '~';
    } else if (b == kLinePictureByte) {
      if (i + 3 >= bytes.size()) break;
      oem += PictureTag(bytes[i + 1], (bytes[i + 2] << 8) | bytes[i + 3]);
      i += 3;
    } else {
      oem += static_cast<char>(b);
    }
  }
  if (oem.size() > kReceiptLineMaxChars) oem.resize(kReceiptLineMaxChars);
  return Cp866ToUtf8(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(oem.data()), oem.size()));
}

std::string PictureTag(int number, int offset) {
  return "{IMG " + std::to_string(number) + ":" + std::to_string(offset) + "}";
}

}  // namespace ptk
