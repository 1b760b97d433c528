// Value encodings, the two code pages and the register's character table.
#include "core/link/encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(EncodingTest, PackBcd) {
  struct Row {
    const char* digits;
    Bytes packed;
  } rows[] = {
      {"1234567890", {0x12, 0x34, 0x56, 0x78, 0x90}},
      {"7391", {0x73, 0x91}},
      {"0000", {0x00, 0x00}},
      {"123", {0x12, 0x30}},  // an odd digit goes to a high nibble
      {"", {}},
      {"99999999999", {0x99, 0x99, 0x99, 0x99, 0x99, 0x90}},
      {"::", {0xAA}},  // only the low four bits of each character are kept
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.digits);
    EXPECT_EQ(PackBcd(row.digits), row.packed);
  }
}

TEST(EncodingTest, BcdToIntAndBytesToInt64) {
  EXPECT_EQ(BcdToInt(0x59), 59);
  EXPECT_EQ(BcdToInt(0x00), 0);
  EXPECT_EQ(BcdToInt(0x99), 99);
  EXPECT_EQ(BcdToInt(0x10), 10);
  struct Row {
    Bytes bytes;
    int64_t value;
  } rows[] = {
      {{0x10, 0x27, 0x00}, 10000},
      {{}, 0},
      {{0x01}, 1},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFFFFll},
      {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}, 0x0807060504030201ll},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, -1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(BytesToInt64(row.bytes.data(), row.bytes.size()), row.value);
  }
}

TEST(EncodingTest, EveryByteSurvivesBothCodePages) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const Bytes one{static_cast<uint8_t>(b)};
    EXPECT_EQ(Utf8ToCp866(Cp866ToUtf8(one)), one);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one);
  }
  // All 256 bytes at once decode to 256 distinct characters in each page.
  Bytes all(256);
  for (int b = 0; b < 256; ++b) all[b] = static_cast<uint8_t>(b);
  EXPECT_EQ(Utf8ToCp866(Cp866ToUtf8(all)), all);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(EncodingTest, KnownCharactersOfTheCodePages) {
  struct Row {
    const char* text;
    uint8_t cp866;
    uint8_t cp1251;
  } rows[] = {
      {"А", 0x80, 0xC0},      {"П", 0x8F, 0xCF}, {"Р", 0x90, 0xD0}, {"Я", 0x9F, 0xDF},
      {"а", 0xA0, 0xE0},      {"п", 0xAF, 0xEF}, {"р", 0xE0, 0xF0}, {"я", 0xEF, 0xFF},
      {"Ё", 0xF0, 0xA8},      {"ё", 0xF1, 0xB8}, {"№", 0xFC, 0xB9}, {"°", 0xF8, 0xB0},
      {"\u00A0", 0xFF, 0xA0}, {"Є", 0xF2, 0xAA}, {"ў", 0xF7, 0xA2}, {"A", 0x41, 0x41},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Utf8ToCp866(row.text), Bytes{row.cp866});
    EXPECT_EQ(Utf8ToCp1251(row.text), Bytes{row.cp1251});
    EXPECT_EQ(Cp866ToUtf8(Bytes{row.cp866}), row.text);
    EXPECT_EQ(Cp1251ToUtf8(Bytes{row.cp1251}), row.text);
  }
  EXPECT_EQ(Cp866ToUtf8(Bytes{0xB0, 0xC4, 0xDB}), "░─█");
  EXPECT_EQ(Cp1251ToUtf8(Bytes{0x88, 0x96, 0xAB}), "€–«");
}

TEST(EncodingTest, UnmappableAndInvalidTextBecomesQuestionMarks) {
  struct Row {
    std::string text;
    Bytes cp866;
    Bytes cp1251;
  } rows[] = {
      {"€", {'?'}, {0x88}},
      {"░", {0xB0}, {'?'}},
      {"日本", {'?', '?'}, {'?', '?'}},
      {"\xD0", {'?'}, {'?'}},                // a sequence cut short
      {"\xD0\x41", {'?', 'A'}, {'?', 'A'}},  // a lead byte without its continuation
      {"\x80z", {'?', 'z'}, {'?', 'z'}},     // a stray continuation byte
      {"😀", {'?'}, {'?'}},
      // Invalid forms: every byte stands alone (one '?' each), a valid one gives one '?'.
      {"\xC0\x8A", {'?', '?'}, {'?', '?'}},                // overlong line feed
      {"\xE0\x80\x8A", {'?', '?', '?'}, {'?', '?', '?'}},  // overlong line feed, 3 bytes
      {"\xF0\x80\x80\x8A", Bytes(4, '?'), Bytes(4, '?')},  // overlong line feed, 4 bytes
      {"\xC2\x80", {'?'}, {'?'}},                          // U+0080, the shortest 2-byte form
      {"\xED\xA0\x80", {'?', '?', '?'}, {'?', '?', '?'}},  // U+D800, a surrogate
      {"\xED\xBF\xBF", {'?', '?', '?'}, {'?', '?', '?'}},  // U+DFFF, a surrogate
      {"\xED\x9F\xBF", {'?'}, {'?'}},                      // U+D7FF
      {"\xF4\x8F\xBF\xBF", {'?'}, {'?'}},                  // U+10FFFF, the last code point
      {"\xF4\x90\x80\x80", Bytes(4, '?'), Bytes(4, '?')},  // U+110000
      {"\xF5\x80\x80\x80", Bytes(4, '?'), Bytes(4, '?')},  // lead byte F5
      {"\xFFz", {'?', 'z'}, {'?', 'z'}},                   // lead byte FF
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Utf8ToCp866(row.text), row.cp866);
    EXPECT_EQ(Utf8ToCp1251(row.text), row.cp1251);
  }
}

TEST(EncodingTest, DeviceCharTable) {
  const std::string letters = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя";
  const std::string others = " .,:;-/_0123456789!%*№#^&()+<>?=$@";
  Bytes letterCodes;
  for (int k = 0; k < 32; ++k) {
    letterCodes.push_back(static_cast<uint8_t>(k < 16 ? 0x80 + k : 0x90 + (k - 16)));
    if (k == 5) letterCodes.push_back(0xF0);
  }
  for (int k = 0; k < 32; ++k) {
    letterCodes.push_back(static_cast<uint8_t>(k < 16 ? 0xA0 + k : 0xE0 + (k - 16)));
    if (k == 5) letterCodes.push_back(0xF1);
  }
  EXPECT_EQ(ToDeviceText(letters), letterCodes);
  EXPECT_EQ(FromDeviceText(letterCodes), letters);
  const Bytes otherCodes = {' ', '.', ',', ':', ';', '-', '/', '_', '0', '1',  '2', '3',
                            '4', '5', '6', '7', '8', '9', '!', '%', '*', 0xFC, '#', '^',
                            '&', '(', ')', '+', '<', '>', '?', '=', '$', '@'};
  EXPECT_EQ(ToDeviceText(others), otherCodes);
  EXPECT_EQ(FromDeviceText(otherCodes), others);
  EXPECT_EQ(letterCodes.size() + otherCodes.size(), 100u);

  // Characters outside the table pass unchanged: ASCII as it is, others as the Windows
  // character of the same byte.
  struct Row {
    std::string text;
    Bytes codes;
  } rows[] = {
      {"Latin AZ{}~", {'A', 'Z', '{', '}', '~'}},
      {"ў", {0xA2}},
      {"€", {0x88}},
      {"😀", {'?'}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::string text = row.text;
    if (text.rfind("Latin ", 0) == 0) text = text.substr(6);
    EXPECT_EQ(ToDeviceText(text), row.codes);
  }
  // Bytes that are no code of the table read as Windows-1251.
  EXPECT_EQ(FromDeviceText(Bytes{0xB0, 0xC0, 0xB9, 0x41}), "°А№A");
}

TEST(EncodingTest, HexBytes) {
  EXPECT_EQ(HexBytes(Bytes{}), "");
  EXPECT_EQ(HexBytes(Bytes{0x02}), "02");
  EXPECT_EQ(HexBytes(Bytes{0x02, 0x55, 0x0A, 0xFF}), "02 55 0A FF");
}

}  // namespace
}  // namespace ptk
