#include "emulator/state_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>
#include <type_traits>
#include <utility>

#include "core/link/encoding.h"
#include "emulator/state_records.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ptk::emu {

namespace {

using namespace state;

// The range a number of type T can hold, as far as the file's 64-bit numbers reach.
template <typename T>
constexpr int64_t LowestOf() {
  return static_cast<int64_t>(std::numeric_limits<T>::lowest());
}
template <typename T>
constexpr int64_t HighestOf() {
  if constexpr (sizeof(T) >= sizeof(int64_t))
    return std::numeric_limits<int64_t>::max();
  else
    return static_cast<int64_t>(std::numeric_limits<T>::max());
}

#define PTK_FIELD_TYPE(name) std::remove_reference_t<decltype(std::declval<RegisterState&>().name)>

// Integer fields, by key, with the values they may take: what their type holds unless the
// register gives them a narrower range. A value outside it is refused rather than cut
// down to the type (a mode of 300 must not load as 44).
struct IntField {
  const char* key;
  int64_t lowest;
  int64_t highest;
  int64_t (*get)(const RegisterState&);
  void (*set)(RegisterState&, int64_t);
};

#define PTK_INT_FIELD_IN(name, lowest, highest)                                           \
  IntField {                                                                              \
#name, lowest, highest,                                                                 \
        [](const RegisterState& s) { return static_cast<int64_t>(s.name); },                \
        [](RegisterState& s, int64_t v) { s.name = static_cast<PTK_FIELD_TYPE(name)>(v); } \
  }
#define PTK_INT_FIELD(name) \
  PTK_INT_FIELD_IN(name, LowestOf<PTK_FIELD_TYPE(name)>(), HighestOf<PTK_FIELD_TYPE(name)>())
// A count of things done: never below zero.
#define PTK_COUNT_FIELD(name) PTK_INT_FIELD_IN(name, 0, HighestOf<PTK_FIELD_TYPE(name)>())

const IntField kIntFields[] = {
    PTK_INT_FIELD_IN(mode, 0, 15),     // the low four bits of the mode byte
    PTK_INT_FIELD_IN(submode, 0, 15),  // the high four bits
    PTK_INT_FIELD_IN(cashier, 0, kUserRows),
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
    PTK_COUNT_FIELD(lastClosedShift),
    PTK_COUNT_FIELD(receiptNumber),
    // The open receipt's type indexes the shift's counters (type − 1).
    PTK_INT_FIELD_IN(receiptState, 0, kReceiptTypes),
    PTK_INT_FIELD(receiptSum),
    PTK_INT_FIELD(beeps),
    PTK_INT_FIELD(drawerOpenings),
    PTK_INT_FIELD(shiftOpenedAt),
    PTK_COUNT_FIELD(documentNumber),
    PTK_INT_FIELD(cashInDrawer),
    PTK_INT_FIELD(receipt.discounts),
    PTK_INT_FIELD(receipt.surcharges),
    PTK_COUNT_FIELD(receipt.receiptAdjustments),
    PTK_INT_FIELD(receipt.lastCommand),
    PTK_INT_FIELD(receipt.lastAdjustment),
    PTK_INT_FIELD(receipt.lastAdjustmentOnLine),
    PTK_COUNT_FIELD(shift.annulledReceipts),
    PTK_INT_FIELD(shift.annulledSum),
    PTK_INT_FIELD(shift.cashIns),
    PTK_INT_FIELD(shift.cashOuts),
    PTK_COUNT_FIELD(shift.cashInCount),
    PTK_COUNT_FIELD(shift.cashOutCount),
    PTK_INT_FIELD_IN(counters.inn, 0, 999'999'999'999),               // twelve digits
    PTK_INT_FIELD_IN(counters.registrationNumber, 0, 9'999'999'999),  // ten digits
    PTK_COUNT_FIELD(counters.fiscalisationShift),
    PTK_INT_FIELD(counters.fiscalisationDate),
    PTK_INT_FIELD_IN(counters.reregistrations, 0, kMaxReregistrations),
    PTK_INT_FIELD_IN(counters.eklzNumber, 0, 9'999'999'999),  // ten digits
    PTK_INT_FIELD_IN(counters.eklzActivations, 0, kMaxEklzActivations),
    PTK_INT_FIELD(counters.eklzActivationDate),
    PTK_COUNT_FIELD(counters.eklzActivationShift),
    PTK_INT_FIELD(counters.shiftClosedAt),
    PTK_INT_FIELD(lastShiftTotal),
    PTK_INT_FIELD(generalClearingDone),
};
#undef PTK_COUNT_FIELD
#undef PTK_INT_FIELD
#undef PTK_INT_FIELD_IN

// Fixed-size number arrays, one line each ("key v0 v1 ..."); nested arrays row by row.
template <typename T, size_t N>
void Flatten(const std::array<T, N>& a, std::vector<int64_t>& out) {
  for (const T& v : a) {
    if constexpr (std::is_arithmetic_v<T>)
      out.push_back(static_cast<int64_t>(v));
    else
      Flatten(v, out);
  }
}

template <typename T, size_t N>
void Unflatten(std::array<T, N>& a, const std::vector<int64_t>& in, size_t& at) {
  for (T& v : a) {
    if constexpr (std::is_arithmetic_v<T>)
      v = static_cast<T>(in[at++]);
    else
      Unflatten(v, in, at);
  }
}

template <typename A>
std::vector<int64_t> GetList(const A& a) {
  std::vector<int64_t> out;
  Flatten(a, out);
  return out;
}

// The number type inside (nested) arrays.
template <typename T>
struct ElementOf {
  using type = T;
};
template <typename T, size_t N>
struct ElementOf<std::array<T, N>> {
  using type = typename ElementOf<T>::type;
};

template <typename A>
void SetList(A& a, const std::vector<int64_t>& values) {
  size_t at = 0;
  Unflatten(a, values, at);
}

// A line of numbers: as many as the arrays hold, each within the range of its type.
struct ListField {
  const char* key;
  size_t count;
  int64_t lowest;
  int64_t highest;
  std::vector<int64_t> (*get)(const RegisterState&);
  void (*set)(RegisterState&, const std::vector<int64_t>&);
};

#define PTK_LIST_FIELD(name)                                                                      \
  ListField {                                                                                     \
#name, GetList(RegisterState{}.name).size(),                                                  \
        LowestOf < ElementOf < PTK_FIELD_TYPE(name)> ::type>(),                                   \
        HighestOf < ElementOf < PTK_FIELD_TYPE(name)> ::type>(),                                  \
        [](const RegisterState& s) { return GetList(s.name); }, [](RegisterState & s,             \
                                                                   const std::vector <int64_t>&   \
                                                                       v) { SetList(s.name, v); } \
  }

const ListField kListFields[] = {
    PTK_LIST_FIELD(receipt.sections),        PTK_LIST_FIELD(receipt.payments),
    PTK_LIST_FIELD(shift.registrations),     PTK_LIST_FIELD(shift.stornos),
    PTK_LIST_FIELD(shift.registrationCount), PTK_LIST_FIELD(shift.stornoCount),
    PTK_LIST_FIELD(shift.discounts),         PTK_LIST_FIELD(shift.surcharges),
    PTK_LIST_FIELD(shift.receipts),          PTK_LIST_FIELD(shift.totals),
    PTK_LIST_FIELD(shift.payments),          PTK_LIST_FIELD(shift.sections),
    PTK_LIST_FIELD(counters.nonResettable),  PTK_LIST_FIELD(counters.sinceReregistration),
    PTK_LIST_FIELD(shift.cashierReceipts),   PTK_LIST_FIELD(shift.cashierSums),
    PTK_LIST_FIELD(shift.hourReceipts),      PTK_LIST_FIELD(shift.hourSums),
};
#undef PTK_LIST_FIELD
#undef PTK_FIELD_TYPE

// Text fields; those the register keeps as digits are checked (nullptr: any text).
struct TextField {
  const char* key;
  std::string RegisterState::*field;
  bool (*valid)(const std::string&);
  const char* rule;
};
const TextField kTextFields[] = {
    {"factoryNumber", &RegisterState::factoryNumber, UpToEightDigits, "up to eight digits"},
    {"deviceName", &RegisterState::deviceName, nullptr, nullptr},
    {"fiscalMemoryPassword", &RegisterState::fiscalMemoryPassword, EightDigits, "eight digits"},
};

// One line of the file into s (the legacy header and ending lines aside); false and why
// when it cannot be read, a value is out of range or a record lacks fields. Keys it does
// not know come from later versions: skipped.
bool ReadLine(const std::string& key, const std::string& value, RegisterState& s,
              std::string& why) {
  for (const RecordCodec& r : RecordCodecs()) {
    if (key == r.key) return r.read(value, s, why);
  }
  for (const ListField& f : kListFields) {
    if (key != f.key) continue;
    std::vector<int64_t> v;
    if (!ReadNumbers(key, value, f.count, v, why)) return false;
    for (size_t i = 0; i < v.size(); ++i) {
      if (!InRange(key + " value " + std::to_string(i + 1), v[i], f.lowest, f.highest, why))
        return false;
    }
    f.set(s, v);
    return true;
  }
  for (const IntField& f : kIntFields) {
    if (key != f.key) continue;
    int64_t v = 0;
    if (!ReadNumber(value, key, f.lowest, f.highest, v, why)) return false;
    f.set(s, v);
    return true;
  }
  for (const TextField& f : kTextFields) {
    if (key != f.key) continue;
    if (f.valid && !f.valid(value)) {
      why = key + " \"" + value + "\" is not " + f.rule;
      return false;
    }
    s.*f.field = value;
    return true;
  }
  return true;
}

}  // namespace

std::string SerializeState(const RegisterState& s) {
  std::ostringstream out;
  out << kStateFileHeader << "\n";
  for (const IntField& f : kIntFields) out << f.key << " " << f.get(s) << "\n";
  for (const TextField& f : kTextFields) out << f.key << " " << OneLine(s.*f.field) << "\n";
  for (const ListField& f : kListFields) {
    out << f.key;
    for (int64_t v : f.get(s)) out << " " << v;
    out << "\n";
  }
  for (const RecordCodec& r : RecordCodecs()) {
    for (const std::string& value : r.write(s)) out << r.key << " " << value << "\n";
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
  if (std::getline(in, line) && !line.empty() && line.back() == '\r') line.pop_back();
  if (line != kStateFileHeader) return fail("not a state file");
  RegisterState s = state;
  s.tables.Clear();
  // Files written before the receipt texts were kept in table 6 hold them as lines.
  std::vector<std::string> legacyHeader, legacyEnding;
  // Files written before receipts were kept have neither: an empty receipt book.
  s.receipt = ReceiptState{};
  s.shift = ShiftCounters{};
  // Files written before the fiscal memory was kept have none: an empty memory.
  s.fm = FiscalMemory{};
  // ... nor had they an ЭКЛЗ that kept records: a new one, not activated.
  s.eklz = Eklz{};
  // Files written before the picture memory was kept have none: an empty memory.
  s.pictures = PictureStore{};
  int number = 1;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    size_t blank = line.find(' ');
    std::string key = line.substr(0, blank);
    std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (key == "header") {
      legacyHeader.push_back(value);
      continue;
    }
    if (key == "ending") {
      legacyEnding.push_back(value);
      continue;
    }
    std::string why;
    if (!ReadLine(key, value, s, why)) return fail("line " + std::to_string(number) + ": " + why);
  }
  // Fields the file does not hold (files of earlier versions kept only a few) keep the
  // factory settings of the model.
  TableStore tables;
  LoadDefaultTables(tables, s.model);
  auto putLines = [&tables](const std::vector<std::string>& lines, uint16_t first, int count) {
    for (int i = 0; i < count; ++i) {
      std::vector<uint8_t> bytes =
          i < static_cast<int>(lines.size()) ? Utf8ToCp866(lines[i]) : std::vector<uint8_t>{};
      if (bytes.size() > 80) bytes.resize(80);
      if (bytes.empty()) bytes.assign(1, 0x00);
      tables.Set({kReceiptTextTable, static_cast<uint16_t>(first + i), 1}, std::move(bytes));
    }
  };
  if (!legacyHeader.empty()) putLines(legacyHeader, kHeaderFirstRow, kHeaderLines);
  if (!legacyEnding.empty()) putLines(legacyEnding, kFooterFirstRow, kFooterLines);
  for (const auto& [a, value] : s.tables.all()) tables.Set(a, value);
  s.tables = std::move(tables);
  // A report that was printing when the state was saved was lost with the power: the
  // register waits for a command in its mode.
  if (s.submode == kReportSubmode && (s.mode == 2 || s.mode == 3 || s.mode == 5)) s.submode = 0;
  if (s.submode == kGeneralClearingSubmode && s.mode == 3) s.submode = 0;
  if (s.submode == kEklzReportSubmode && s.mode == 6) s.submode = 0;
  if (s.pictures.pictures.empty()) s.pictures.uploadOpen = false;
  if (s.pictures.UsedBytes() > kPictureMemoryBytes) return fail("the pictures exceed the memory");
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
  if (existed) *existed = false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    // Only a file that is not there starts the register afresh: one that cannot be read
    // must not be replaced by a new state when the register stops.
    if (errno == ENOENT) return true;
    if (error) *error = std::string("cannot read the file: ") + std::strerror(errno);
    return false;
  }
  if (existed) *existed = true;
  std::string text;
  char buffer[65536];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (readError) {
    if (error) *error = "cannot read the file";
    return false;
  }
  return ParseState(text, state, error);
}

}  // namespace ptk::emu
