// A register's tables as a text file, one field per line, so that one register's
// settings can be put onto others:
//
//   2 1 1 = 01                  table row field = value
//   3 1 2 = "КАССИР 1"          texts quoted; \\ \" and \xHH inside the quotes
//   2 1 3 = [02]                bytes no readable form gives back exactly, in hex
//   # a comment
//
// Numbers, digits and tax rates stand bare, in the forms of FieldValueToText.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/programming/field_catalogue.h"

namespace ptk {

struct DumpEntry {
  uint8_t table = 0;
  uint16_t row = 0;
  uint8_t field = 0;
  std::vector<uint8_t> value;  // as the register keeps it
  bool operator==(const DumpEntry&) const = default;
};

// The value part of a line: the readable form when it gives back exactly these bytes,
// otherwise the bytes in hex.
std::string FormatDumpValue(const CatalogueField& f, std::span<const uint8_t> value);
std::string FormatDumpLine(const DumpEntry& entry);

enum class DumpLine { Blank, Entry, Error };
// Blank for an empty or comment line; Entry with the entry filled; Error with a reason
// (an address the catalogue does not know, a value the field cannot take, bad quoting).
DumpLine ParseDumpLine(std::string_view line, DumpEntry& entry, std::string& error);

}  // namespace ptk
