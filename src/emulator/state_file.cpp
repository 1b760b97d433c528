#include "emulator/state_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/link/encoding.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ptk::emu {

namespace {

// Integer fields, by key.
struct IntField {
  const char* key;
  int64_t (*get)(const RegisterState&);
  void (*set)(RegisterState&, int64_t);
};

#define PTK_INT_FIELD(name)                                                    \
  IntField {                                                                   \
#name, [](const RegisterState& s) { return static_cast<int64_t>(s.name); },  \
        [](RegisterState& s, int64_t v) { s.name = static_cast<decltype(s.name)>(v); } \
  }

const IntField kIntFields[] = {
    PTK_INT_FIELD(mode),
    PTK_INT_FIELD(submode),
    PTK_INT_FIELD(cashier),
    PTK_INT_FIELD(clockOffset),
    PTK_INT_FIELD(pendingDate),
    PTK_INT_FIELD(model),
    PTK_INT_FIELD(firmwareVersion),
    PTK_INT_FIELD(firmwareSubversion),
    PTK_INT_FIELD(fmVersion),
    PTK_INT_FIELD(fmSubversion),
    PTK_INT_FIELD(languageTable),
    PTK_INT_FIELD(portNumber),
    PTK_INT_FIELD(decimalPoint),
    PTK_INT_FIELD(fiscalized),
    PTK_INT_FIELD(batteryLow),
    PTK_INT_FIELD(shiftOpen),
    PTK_INT_FIELD(lastClosedShift),
    PTK_INT_FIELD(receiptNumber),
    PTK_INT_FIELD(receiptState),
    PTK_INT_FIELD(receiptSum),
    PTK_INT_FIELD(beeps),
    PTK_INT_FIELD(drawerOpenings),
};
#undef PTK_INT_FIELD

struct TextField {
  const char* key;
  std::string RegisterState::*field;
};
const TextField kTextFields[] = {
    {"factoryNumber", &RegisterState::factoryNumber},
    {"deviceName", &RegisterState::deviceName},
    {"fiscalMemoryPassword", &RegisterState::fiscalMemoryPassword},
};

bool ParseInt(std::string_view text, int64_t& v) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() && ptr == text.data() + text.size();
}

bool ParseHex(std::string_view text, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (text == "-") return true;
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    unsigned v = 0;
    auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + i + 2, v, 16);
    if (ec != std::errc() || ptr != text.data() + i + 2) return false;
    bytes.push_back(static_cast<uint8_t>(v));
  }
  return true;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return "-";
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

// Text values must stay on one line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

std::string SerializeState(const RegisterState& s) {
  std::ostringstream out;
  out << kStateFileHeader << "\n";
  for (const IntField& f : kIntFields) out << f.key << " " << f.get(s) << "\n";
  for (const TextField& f : kTextFields) out << f.key << " " << OneLine(s.*f.field) << "\n";
  for (const std::string& line : s.headerLines) out << "header " << OneLine(line) << "\n";
  for (const std::string& line : s.endingLines) out << "ending " << OneLine(line) << "\n";
  for (const auto& [a, value] : s.tables.all()) {
    out << "table " << int{a.table} << " " << a.row << " " << int{a.field} << " " << Hex(value)
        << "\n";
  }
  return out.str();
}

bool ParseState(const std::string& text, RegisterState& state, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kStateFileHeader) return fail("not a state file");
  RegisterState s = state;
  s.headerLines.clear();
  s.endingLines.clear();
  s.tables.Clear();
  int number = 1;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    size_t blank = line.find(' ');
    std::string key = line.substr(0, blank);
    std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
    auto bad = [&] { return fail("line " + std::to_string(number) + ": " + line); };
    if (key == "header") {
      s.headerLines.push_back(value);
      continue;
    }
    if (key == "ending") {
      s.endingLines.push_back(value);
      continue;
    }
    if (key == "table") {
      std::istringstream fields(value);
      int64_t t = 0, r = 0, f = 0;
      std::string a, b, c, hex;
      fields >> a >> b >> c >> hex;
      std::vector<uint8_t> bytes;
      if (!ParseInt(a, t) || !ParseInt(b, r) || !ParseInt(c, f) || t < 0 || t > 255 || r < 0 ||
          r > 65535 || f < 0 || f > 255 || !ParseHex(hex, bytes))
        return bad();
      s.tables.Set({static_cast<uint8_t>(t), static_cast<uint16_t>(r), static_cast<uint8_t>(f)},
                   std::move(bytes));
      continue;
    }
    bool known = false;
    for (const IntField& f : kIntFields) {
      if (key != f.key) continue;
      int64_t v = 0;
      if (!ParseInt(value, v)) return bad();
      f.set(s, v);
      known = true;
    }
    for (const TextField& f : kTextFields) {
      if (key != f.key) continue;
      s.*f.field = value;
      known = true;
    }
    (void)known;  // unknown keys come from later versions: skipped
  }
  state = std::move(s);
  return true;
}

bool SaveState(const RegisterState& state, const std::string& path, std::string* error) {
  std::string text = SerializeState(state);
  std::string temp = path + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    if (error) *error = "cannot write " + temp;
    return false;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fflush(f) == 0 && ok;
#ifndef _WIN32
  ok = ::fsync(fileno(f)) == 0 && ok;
#endif
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    std::remove(temp.c_str());
    if (error) *error = "cannot write " + temp;
    return false;
  }
#ifdef _WIN32
  std::remove(path.c_str());
#endif
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    if (error) *error = "cannot rename " + temp + " to " + path;
    return false;
  }
  return true;
}

bool LoadState(RegisterState& state, const std::string& path, bool* existed, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (existed) *existed = static_cast<bool>(in);
  if (!in) return true;
  std::ostringstream text;
  text << in.rdbuf();
  return ParseState(text.str(), state, error);
}

}  // namespace ptk::emu
