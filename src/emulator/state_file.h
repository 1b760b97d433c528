// Saving and loading the register's state, so that a training session can be resumed.
// A versioned text file, one "key value" per line; tables as "table T R F HEX".
// Saving writes a temporary file beside the target and renames it over the target.
#pragma once

#include <string>

#include "emulator/register_state.h"

namespace ptk::emu {

inline constexpr const char* kStateFileHeader = "ptk-emulator-state 1";

std::string SerializeState(const RegisterState& state);
// Keys it does not know are skipped (files of later versions stay loadable). Every value
// is checked against the range the register gives it. False and a reason naming the line
// ("line 3: mode 300 is out of range 0..15") for a file that is not a state file, a line
// that cannot be read, a value out of range or a record with missing fields; the state is
// then untouched (the file is read into a copy, committed only when all of it was read).
bool ParseState(const std::string& text, RegisterState& state, std::string* error = nullptr);

bool SaveState(const RegisterState& state, const std::string& path, std::string* error = nullptr);
// A missing file is not an error: *existed becomes false and the state stays as it is.
// A file that exists but cannot be read is one (false, the state untouched).
bool LoadState(RegisterState& state, const std::string& path, bool* existed = nullptr,
               std::string* error = nullptr);

}  // namespace ptk::emu
