#include "core/programming/table_dump.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace ptk {

namespace {

bool Quoted(FieldEncoding e) {
  return e == FieldEncoding::ClassicText || e == FieldEncoding::ReceiptLine ||
         e == FieldEncoding::OemText;
}

std::string Quote(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (ch == '\\' || ch == '"') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The text between the quotes; nullopt for a bad escape or a missing closing quote.
std::optional<std::string> Unquote(std::string_view s) {
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') return std::nullopt;
  s = s.substr(1, s.size() - 2);
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') return std::nullopt;
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    if (++i >= s.size()) return std::nullopt;
    if (s[i] == '\\' || s[i] == '"') {
      out += s[i];
    } else if (s[i] == 'x' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 &&
               HexDigit(s[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view s) {
  if (s.size() < 2 || s.front() != '[' || s.back() != ']') return std::nullopt;
  std::vector<uint8_t> bytes;
  int high = -1;
  for (char c : s.substr(1, s.size() - 2)) {
    if (c == ' ') {
      if (high >= 0) return std::nullopt;
      continue;
    }
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    if (high < 0) {
      high = d;
    } else {
      bytes.push_back(static_cast<uint8_t>(high * 16 + d));
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;
  return bytes;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool ParseNumber(std::string_view word, unsigned long max, unsigned long& value) {
  auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  return ec == std::errc() && ptr == word.data() + word.size() && value <= max;
}

std::string HexValue(std::span<const uint8_t> value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex = "[";
  for (size_t i = 0; i < value.size(); ++i) {
    if (i > 0) hex += ' ';
    hex += kHex[value[i] >> 4];
    hex += kHex[value[i] & 0x0F];
  }
  return hex + "]";
}

}  // namespace

std::string FormatDumpValue(const CatalogueField& f, std::span<const uint8_t> value) {
  const std::string text = FieldValueToText(f, value);
  const std::optional<std::vector<uint8_t>> back = TextToFieldValue(f, text);
  if (back && std::equal(back->begin(), back->end(), value.begin(), value.end()))
    return Quoted(f.encoding) ? Quote(text) : text;
  return HexValue(value);
}

std::string FormatDumpLine(const DumpEntry& e) {
  const std::string address =
      std::to_string(e.table) + " " + std::to_string(e.row) + " " + std::to_string(e.field) + " = ";
  const CatalogueField* f = FindCatalogueField(e.table, e.row, e.field);
  return address + (f != nullptr ? FormatDumpValue(*f, e.value) : HexValue(e.value));
}

DumpLine ParseDumpLine(std::string_view line, DumpEntry& entry, std::string& error) {
  line = Trim(line);
  if (line.empty() || line.front() == '#') return DumpLine::Blank;
  const size_t equals = line.find(" = ");
  if (equals == std::string_view::npos) {
    error = "expected \"table row field = value\"";
    return DumpLine::Error;
  }
  std::string_view address = line.substr(0, equals);
  const std::string_view valueText = Trim(line.substr(equals + 3));
  unsigned long parts[3] = {};
  const unsigned long limits[3] = {255, 65535, 255};
  for (int i = 0; i < 3; ++i) {
    address = Trim(address);
    const size_t blank = address.find(' ');
    const std::string_view word = address.substr(0, blank);
    if (!ParseNumber(word, limits[i], parts[i]) || (i < 2 && blank == std::string_view::npos)) {
      error = "bad address";
      return DumpLine::Error;
    }
    address = blank == std::string_view::npos ? std::string_view{} : address.substr(blank);
  }
  if (!Trim(address).empty()) {
    error = "bad address";
    return DumpLine::Error;
  }
  entry.table = static_cast<uint8_t>(parts[0]);
  entry.row = static_cast<uint16_t>(parts[1]);
  entry.field = static_cast<uint8_t>(parts[2]);
  const CatalogueField* f = FindCatalogueField(entry.table, entry.row, entry.field);
  if (f == nullptr) {
    error = "no such field in the catalogue";
    return DumpLine::Error;
  }
  std::optional<std::vector<uint8_t>> value;
  if (!valueText.empty() && valueText.front() == '[') {
    value = ParseHexBytes(valueText);
  } else if (Quoted(f->encoding)) {
    if (std::optional<std::string> text = Unquote(valueText)) value = TextToFieldValue(*f, *text);
  } else {
    value = TextToFieldValue(*f, valueText);
  }
  if (!value) {
    error = "bad value for this field";
    return DumpLine::Error;
  }
  entry.value = std::move(*value);
  return DumpLine::Entry;
}

}  // namespace ptk
