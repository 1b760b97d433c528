#include "core/link/encoding.h"

#include <algorithm>
#include <array>

namespace ptk {
namespace {

// Code page 866: the characters of bytes 0x80..0xFF.
constexpr char16_t kCp866[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 80
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 88
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 90
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 98
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // A0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // E0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // E8
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,  // F8
};

// Windows-1251: the characters of bytes 0x80..0xFF. Byte 0x98 has no character in the
// code page; it maps to U+0098 so that every byte survives a round trip.
constexpr char16_t kCp1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// Decodes one UTF-8 sequence at text[i]; advances i. An invalid sequence yields
// U+FFFD and consumes one byte. Overlong forms (C0 8A for a line feed), surrogates and
// values above U+10FFFF are invalid: a text must not smuggle a control byte past the
// checks that look at the decoded characters.
char32_t NextCodePoint(std::string_view text, size_t& i) {
  const auto b0 = static_cast<uint8_t>(text[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  size_t extra = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    cp = b0 & 0x07;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (text.size() - i <= extra) {
    ++i;
    return 0xFFFD;
  }
  for (size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kShortest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    ++i;
    return 0xFFFD;
  }
  i += extra + 1;
  return cp;
}

std::string DecodeCodePage(std::span<const uint8_t> bytes, const char16_t (&table)[128]) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) AppendUtf8(out, b < 0x80 ? char32_t{b} : char32_t{table[b - 0x80]});
  return out;
}

// The byte of a character in a code page; false when the page has no such character.
bool EncodeChar(char32_t cp, const char16_t (&table)[128], uint8_t& byte) {
  if (cp < 0x80) {
    byte = static_cast<uint8_t>(cp);
    return true;
  }
  for (size_t k = 0; k < 128; ++k) {
    if (table[k] == cp) {
      byte = static_cast<uint8_t>(0x80 + k);
      return true;
    }
  }
  return false;
}

std::vector<uint8_t> EncodeCodePage(std::string_view text, const char16_t (&table)[128]) {
  std::vector<uint8_t> out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint8_t b = '?';
    EncodeChar(NextCodePoint(text, i), table, b);
    out.push_back(b);
  }
  return out;
}

// The register's character table: each character with the code the register uses for it.
struct DeviceChar {
  char32_t ch;
  uint8_t code;
};

constexpr std::array<DeviceChar, 100> MakeDeviceCharTable() {
  std::array<DeviceChar, 100> t{};
  size_t n = 0;
  // Capitals А..Я with Ё after Е, then the small letters likewise; code page 866 codes.
  for (int lower = 0; lower < 2; ++lower) {
    const char32_t a = lower ? U'а' : U'А';
    const uint8_t aCode = lower ? 0xA0 : 0x80;
    const uint8_t rCode = lower ? 0xE0 : 0x90;
    for (int k = 0; k < 32; ++k) {
      t[n++] = {a + k, static_cast<uint8_t>(k < 16 ? aCode + k : rCode + (k - 16))};
      if (k == 5) t[n++] = {lower ? U'ё' : U'Ё', static_cast<uint8_t>(lower ? 0xF1 : 0xF0)};
    }
  }
  constexpr char32_t kOthers[] = U" .,:;-/_0123456789!%*№#^&()+<>?=$@";
  for (size_t k = 0; kOthers[k] != 0; ++k) {
    const char32_t c = kOthers[k];
    t[n++] = {c, static_cast<uint8_t>(c == U'№' ? 0xFC : c)};
  }
  return t;
}

constexpr std::array<DeviceChar, 100> kDeviceCharTable = MakeDeviceCharTable();

}  // namespace

size_t CodePoints(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::vector<uint8_t> PackBcd(std::string_view digits) {
  std::vector<uint8_t> out((digits.size() + 1) / 2, 0);
  for (size_t i = 0; i < digits.size(); ++i) {
    const auto nibble = static_cast<uint8_t>(digits[i] & 0x0F);
    out[i / 2] |= (i % 2 == 0) ? static_cast<uint8_t>(nibble << 4) : nibble;
  }
  return out;
}

int BcdToInt(uint8_t b) {
  return (b >> 4) * 10 + (b & 0x0F);
}

uint8_t ToBcd(int value) {
  value %= 100;
  if (value < 0) value = -value;
  return static_cast<uint8_t>(((value / 10) << 4) | (value % 10));
}

bool IsBcd(uint8_t b) {
  return (b >> 4) <= 9 && (b & 0x0F) <= 9;
}

std::vector<uint8_t> NumberToBcd(uint64_t value, int digits) {
  std::vector<uint8_t> bytes(static_cast<size_t>((digits + 1) / 2), 0);
  for (size_t i = bytes.size(); i-- > 0;) {
    int low = static_cast<int>(value % 10);
    value /= 10;
    int high = static_cast<int>(value % 10);
    value /= 10;
    bytes[i] = static_cast<uint8_t>((high << 4) | low);
  }
  return bytes;
}

int64_t BytesToInt64(const uint8_t* bytes, size_t n) {
  uint64_t v = 0;
  for (size_t i = std::min<size_t>(n, 8); i-- > 0;) v = (v << 8) | bytes[i];
  return static_cast<int64_t>(v);
}

std::string Cp866ToUtf8(std::span<const uint8_t> bytes) {
  return DecodeCodePage(bytes, kCp866);
}
std::vector<uint8_t> Utf8ToCp866(std::string_view text) {
  return EncodeCodePage(text, kCp866);
}
std::string Cp1251ToUtf8(std::span<const uint8_t> bytes) {
  return DecodeCodePage(bytes, kCp1251);
}
std::vector<uint8_t> Utf8ToCp1251(std::string_view text) {
  return EncodeCodePage(text, kCp1251);
}

std::vector<uint8_t> ToDeviceText(std::string_view utf8) {
  std::vector<uint8_t> out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, i);
    const auto it = std::find_if(kDeviceCharTable.begin(), kDeviceCharTable.end(),
                                 [cp](const DeviceChar& d) { return d.ch == cp; });
    if (it != kDeviceCharTable.end()) {
      out.push_back(it->code);
      continue;
    }
    // Not in the table: the character goes as it is, i.e. its Windows-1251 byte.
    uint8_t b = '?';
    EncodeChar(cp, kCp1251, b);
    out.push_back(b);
  }
  return out;
}

std::string FromDeviceText(std::span<const uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    const auto it = std::find_if(kDeviceCharTable.begin(), kDeviceCharTable.end(),
                                 [b](const DeviceChar& d) { return d.code == b; });
    if (it != kDeviceCharTable.end()) {
      AppendUtf8(out, it->ch);
    } else {
      // Not a code of the table: shown as it is, i.e. as a Windows-1251 byte.
      AppendUtf8(out, b < 0x80 ? char32_t{b} : char32_t{kCp1251[b - 0x80]});
    }
  }
  return out;
}

std::string HexBytes(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) out.push_back(' ');
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return out;
}

}  // namespace ptk
