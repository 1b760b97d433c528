// ptk-cli tables dump [FILE]: every catalogue field the connected register's model has,
// one line per field (standard output without FILE).
// ptk-cli tables load FILE --mode-password DIGITS: writes such a file to the register in
// programming mode (entered with the system administrator's password), reads every
// written field back and reports each difference. The communication password (table 2
// field 23) is written last, and the following commands use it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "core/link/direct_command.h"
#include "core/programming/table_dump.h"
#include "core/programming/table_fields.h"
#include "core/shell/modes.h"

namespace ptk::cli {
namespace {

constexpr int kProgrammingMode = 4;

std::string Address(const DumpEntry& e) {
  return std::to_string(e.table) + " " + std::to_string(e.row) + " " + std::to_string(e.field);
}

// Reads one field by its route; false after the failure has been shown.
bool ReadField(Context& c, const CatalogueField& f, uint16_t row, std::vector<uint8_t>& value) {
  if (f.route == FieldRoute::Classic) {
    UserAbort never;
    if (ReadTableField(c.link, never, f.table, static_cast<uint8_t>(row), f.field) != kExchangeOk)
      return false;
    const std::span<const uint8_t> data = ClassicAnswerData(c.link);
    value.assign(data.begin(), data.begin() + std::min<size_t>(data.size(), f.width));
    return true;
  }
  CompactAnswer answer;
  const int error = ReadFieldCompact(c.link, f.table, row, f.field, answer);
  ShowDirectError(c.ui, error);
  if (error != direct_error::kOk) return false;
  const std::span<const uint8_t> data = answer.Value();
  value.assign(data.begin(), data.begin() + std::min<size_t>(data.size(), f.width));
  return true;
}

bool WriteField(Context& c, const CatalogueField& f, const DumpEntry& e) {
  if (f.route == FieldRoute::Classic)
    return WriteTableField(c.link, e.table, static_cast<uint8_t>(e.row), e.field, e.value) ==
           kExchangeOk;
  const int error = WriteFieldCompact(c.link, e.table, e.row, e.field, e.value);
  ShowDirectError(c.ui, error);
  return error == direct_error::kOk;
}

// The model, so that its optional fields are known; false after the failure was shown.
bool Identify(Context& c, ModelIdentity& model) {
  const int error = IdentifyModel(c.port, c.settings, model);
  ShowDirectError(c.ui, error);
  CurrentModel() = model;
  return error == direct_error::kOk;
}

int Finish(Context& c, bool ok) {
  c.ui.PrintBoxes(c.out);
  return ok ? 0 : 1;
}

int Dump(Context& c, const std::vector<std::string>& args) {
  if (args.size() > 1) {
    c.err << "ptk-cli tables dump: takes at most one FILE\n";
    return 2;
  }
  std::string why;
  if (!args.empty() && !CheckOutputFile(args[0], true, why)) {
    c.err << "ptk-cli tables dump: cannot write " << args[0] << ": " << why << "\n";
    return 2;
  }
  ModelIdentity model;
  if (!Identify(c, model)) return Finish(c, false);
  std::ostringstream text;
  text << "# ptk-cli tables dump, model " << model.modelCode << "\n";
  for (const CatalogueField& f : FieldCatalogue()) {
    if (!FieldPresent(f, model.caps)) continue;
    for (int row = f.firstRow; row <= f.lastRow; ++row) {
      DumpEntry e{f.table, static_cast<uint16_t>(row), f.field, {}};
      if (!ReadField(c, f, e.row, e.value)) {
        c.out << "failed: " << Address(e) << "\n";
        return Finish(c, false);
      }
      text << FormatDumpLine(e) << "\n";
    }
  }
  if (args.empty()) {
    c.out << text.str();
    return Finish(c, true);
  }
  std::ofstream file(args[0], std::ios::binary);
  file << text.str();
  file.close();
  if (!file) {
    c.err << "ptk-cli tables dump: cannot write " << args[0] << "\n";
    return 1;
  }
  return Finish(c, true);
}

bool ParseFile(Context& c, const std::string& path, std::vector<DumpEntry>& entries) {
  // A folder opens as a stream that reads nothing; it must not pass for an empty file.
  std::error_code ec;
  std::ifstream file;
  if (std::filesystem::is_regular_file(path, ec)) file.open(path, std::ios::binary);
  if (!file.is_open()) {
    c.err << "ptk-cli tables load: cannot read " << path << "\n";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    DumpEntry e;
    std::string why;
    switch (ParseDumpLine(line, e, why)) {
      case DumpLine::Blank:
        break;
      case DumpLine::Entry:
        entries.push_back(std::move(e));
        break;
      case DumpLine::Error:
        c.err << "ptk-cli tables load: " << path << ":" << number << ": " << why << "\n";
        return false;
    }
  }
  if (file.bad()) {
    c.err << "ptk-cli tables load: cannot read " << path << "\n";
    return false;
  }
  // An empty or comment-only file is taken for a mistake (a truncated copy, the wrong
  // file): nothing would be written, yet the register would be put through the mode.
  if (entries.empty()) {
    c.err << "ptk-cli tables load: " << path << ": no field to write\n";
    return false;
  }
  return true;
}

int Load(Context& c, const std::vector<std::string>& args) {
  std::string path, modePassword;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--mode-password" && i + 1 < args.size()) {
      modePassword = args[++i];
    } else if (path.empty() && args[i].rfind("--", 0) != 0) {
      path = args[i];
    } else {
      path.clear();
      break;
    }
  }
  const bool digits = !modePassword.empty() && modePassword.size() <= 8 &&
                      modePassword.find_first_not_of("0123456789") == std::string::npos;
  if (path.empty() || !digits) {
    c.err << "ptk-cli tables load: expected FILE --mode-password DIGITS (up to eight)\n";
    return 2;
  }
  std::vector<DumpEntry> entries;
  if (!ParseFile(c, path, entries)) return 2;

  ModelIdentity model;
  if (!Identify(c, model)) return Finish(c, false);
  if (ExitMode(c.link) != kExchangeOk ||
      EnterMode(c.link, kProgrammingMode, modePassword) != kExchangeOk)
    return Finish(c, false);

  // The communication password goes last: once written, the register wants it at once.
  std::stable_partition(entries.begin(), entries.end(), [](const DumpEntry& e) {
    return !(e.table == kSettingsTable && e.field == settings_field::kCommPassword);
  });
  int written = 0, skipped = 0, differences = 0;
  bool ok = true;
  std::vector<const DumpEntry*> toCheck;
  for (const DumpEntry& e : entries) {
    const CatalogueField& f = *FindCatalogueField(e.table, e.row, e.field);
    if (!FieldPresent(f, model.caps)) {
      c.out << "skipped: " << Address(e) << " (not on this model)\n";
      ++skipped;
      continue;
    }
    if (!WriteField(c, f, e)) {
      c.out << "failed: " << Address(e) << "\n";
      ok = false;
      break;
    }
    ++written;
    toCheck.push_back(&e);
    if (e.table == kSettingsTable && e.field == settings_field::kCommPassword)
      c.settings.AccessPassword = DecodePacked(e.value);
  }
  if (!ok) toCheck.clear();  // a failed load is not read back
  for (const DumpEntry* e : toCheck) {
    const CatalogueField& f = *FindCatalogueField(e->table, e->row, e->field);
    std::vector<uint8_t> value;
    if (!ReadField(c, f, e->row, value)) {
      c.out << "failed: " << Address(*e) << "\n";
      ok = false;
      break;
    }
    if (value != e->value) {
      ++differences;
      c.out << "difference: " << Address(*e) << ": file " << FormatDumpValue(f, e->value)
            << ", register " << FormatDumpValue(f, value) << "\n";
    }
  }
  ExitMode(c.link);
  c.out << "written: " << written << ", skipped: " << skipped << ", differences: " << differences
        << "\n";
  return Finish(c, ok && differences == 0);
}

int TablesVerb(Context& c, const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "dump") return Dump(c, {args.begin() + 1, args.end()});
  if (!args.empty() && args[0] == "load") return Load(c, {args.begin() + 1, args.end()});
  c.err << "ptk-cli tables: expected dump [FILE] or load FILE --mode-password DIGITS\n";
  return 2;
}

const VerbRegistrar kTables("tables",
                            "tables dump [FILE] | tables load FILE --mode-password DIGITS",
                            TablesVerb);

}  // namespace
}  // namespace ptk::cli
