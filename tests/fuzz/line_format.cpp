// The header and footer line format, both ways: any text to the register's bytes (both
// offset units), and any bytes to the text the tables window shows, which must read back
// to the same bytes.
//
// Input: a direction byte, then the text (UTF-8 or not) or the bytes.
#include "core/programming/line_format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/link/direct_command.h"
#include "fuzz_input.h"

namespace {

using namespace ptk;

size_t CodePoints(const std::string& utf8) {
  return static_cast<size_t>(std::count_if(
      utf8.begin(), utf8.end(), [](char c) { return (static_cast<uint8_t>(c) & 0xC0) != 0x80; }));
}

// A tab byte shows as "~" and the byte after it by the usual rules, so a tab before "\",
// "{", "~", another tab or a picture record shows as a text that reads back otherwise (the tables
// window's known limit; the dump file writes such lines in hex).
bool TabBeforeSpecial(std::span<const uint8_t> bytes) {
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    const uint8_t next = bytes[i + 1];
    if (bytes[i] == kLineTabByte && (next == 0x5C || next == 0x7B || next == 0x7E ||
                                     next == kLineTabByte || next == kLinePictureByte))
      return true;
  }
  return false;
}

void FromText(std::string_view text) {
  for (bool eights : {false, true}) {
    std::vector<uint8_t> bytes;
    const int error = ReceiptLineToBytes(text, eights, bytes);
    PTK_FUZZ_CHECK(error == direct_error::kOk || error == direct_error::kInvalidParameter);
    PTK_FUZZ_CHECK(bytes.size() <= kReceiptLineMaxBytes);
    if (error != direct_error::kOk) continue;
    // What the register then holds reads back as a text that gives the same bytes; a tab
    // or line feed typed as such is copied as the tab or picture byte it is, so such texts
    // are left out.
    const std::string shown = ReceiptLineToText(bytes);
    std::vector<uint8_t> again;
    if (ReceiptLineToBytes(shown, false, again) == direct_error::kOk && !eights &&
        std::find(bytes.begin(), bytes.end(), 0) == bytes.end() &&
        CodePoints(shown) < kReceiptLineMaxChars && bytes.size() < kReceiptLineMaxBytes &&
        !TabBeforeSpecial(bytes) && text.find_first_of("\t\n") == std::string_view::npos)
      PTK_FUZZ_CHECK(again == bytes);
  }
}

void FromBytes(std::span<const uint8_t> bytes) {
  const std::string text = ReceiptLineToText(bytes);
  PTK_FUZZ_CHECK(CodePoints(text) <= kReceiptLineMaxChars);
  // The line as stored: up to its first zero byte, without an incomplete picture record.
  std::vector<uint8_t> stored;
  for (size_t i = 0; i < bytes.size() && bytes[i] != 0; ++i) {
    if (bytes[i] == kLinePictureByte) {
      if (i + 3 >= bytes.size()) break;
      stored.insert(stored.end(), bytes.begin() + i, bytes.begin() + i + 4);
      i += 3;
    } else {
      stored.push_back(bytes[i]);
    }
  }
  std::vector<uint8_t> back;
  if (TabBeforeSpecial(stored)) return;
  if (ReceiptLineToBytes(text, false, back) != direct_error::kOk) return;
  // A text cut at 90 characters gives a beginning of the line; an uncut one all of it.
  if (CodePoints(text) < kReceiptLineMaxChars && stored.size() <= kReceiptLineMaxBytes) {
    PTK_FUZZ_CHECK(back == stored);
  } else {
    PTK_FUZZ_CHECK(back.size() <= stored.size() &&
                   std::equal(back.begin(), back.end(), stored.begin()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const bool toBytes = in.Bit();
  const std::span<const uint8_t> rest = in.Rest();
  if (toBytes) {
    FromText(fuzz::AsText(rest));
  } else {
    FromBytes(rest);
  }
  return 0;
}
