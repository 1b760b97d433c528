// The state file's pieces, shared by the file itself and its record codecs: reading the
// numbers and bytes of a line with the range checks and messages of the file, and the
// records that come in any number (receipt lines, fiscal-memory and ЭКЛЗ records,
// pictures, table fields, ...).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/register_state.h"

namespace ptk::emu::state {

// The words of a line, split at blanks.
std::vector<std::string> Words(const std::string& text);
// True when v lies in [lowest, highest]; otherwise why: "mode 300 is out of range 0..15".
bool InRange(const std::string& what, int64_t v, int64_t lowest, int64_t highest, std::string& why);
// One number, readable and within [lowest, highest]; otherwise why not.
bool ReadNumber(const std::string& word, const std::string& what, int64_t lowest, int64_t highest,
                int64_t& v, std::string& why);
// Exactly count readable numbers.
bool ReadNumbers(const std::string& key, const std::string& text, size_t count,
                 std::vector<int64_t>& values, std::string& why);
bool EightDigits(const std::string& text);
bool UpToEightDigits(const std::string& text);
// Text values must stay on one line: line breaks become blanks.
std::string OneLine(std::string text);

// One kind of record: the values of its lines ("key VALUE"), in the order the file holds
// them, and the reading of one line's value into the state (false and why when it cannot
// be read, a value is out of range or the record lacks fields).
struct RecordCodec {
  const char* key;
  std::vector<std::string> (*write)(const RegisterState& s);
  bool (*read)(const std::string& value, RegisterState& s, std::string& why);
};

// Every record kind, in the order the file writes them.
std::span<const RecordCodec> RecordCodecs();

}  // namespace ptk::emu::state
