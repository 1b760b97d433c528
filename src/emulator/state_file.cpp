#include "emulator/state_file.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <type_traits>

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
    PTK_INT_FIELD(shiftOpenedAt),
    PTK_INT_FIELD(documentNumber),
    PTK_INT_FIELD(cashInDrawer),
    PTK_INT_FIELD(receipt.discounts),
    PTK_INT_FIELD(receipt.surcharges),
    PTK_INT_FIELD(receipt.receiptAdjustments),
    PTK_INT_FIELD(receipt.lastCommand),
    PTK_INT_FIELD(receipt.lastAdjustment),
    PTK_INT_FIELD(receipt.lastAdjustmentOnLine),
    PTK_INT_FIELD(shift.annulledReceipts),
    PTK_INT_FIELD(shift.annulledSum),
    PTK_INT_FIELD(shift.cashIns),
    PTK_INT_FIELD(shift.cashOuts),
    PTK_INT_FIELD(shift.cashInCount),
    PTK_INT_FIELD(shift.cashOutCount),
    PTK_INT_FIELD(counters.inn),
    PTK_INT_FIELD(counters.registrationNumber),
    PTK_INT_FIELD(counters.fiscalisationShift),
    PTK_INT_FIELD(counters.fiscalisationDate),
    PTK_INT_FIELD(counters.reregistrations),
    PTK_INT_FIELD(counters.eklzNumber),
    PTK_INT_FIELD(counters.eklzActivations),
    PTK_INT_FIELD(counters.eklzActivationDate),
    PTK_INT_FIELD(counters.eklzActivationShift),
    PTK_INT_FIELD(counters.shiftClosedAt),
    PTK_INT_FIELD(lastShiftTotal),
    PTK_INT_FIELD(generalClearingDone),
};
#undef PTK_INT_FIELD

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

// False (and the array untouched) when the count of values does not fit.
template <typename A>
bool SetList(A& a, const std::vector<int64_t>& values) {
  if (GetList(a).size() != values.size()) return false;
  size_t at = 0;
  Unflatten(a, values, at);
  return true;
}

struct ListField {
  const char* key;
  std::vector<int64_t> (*get)(const RegisterState&);
  bool (*set)(RegisterState&, const std::vector<int64_t>&);
};

#define PTK_LIST_FIELD(name)                                                               \
  ListField {                                                                              \
#name, [](const RegisterState&                                                         \
                  s) { return GetList(s.name); }, [](RegisterState & s,                    \
                                                     const std::vector <int64_t>&          \
                                                         v) { return SetList(s.name, v); } \
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

// Numbers separated by single blanks.
bool ParseInts(const std::string& text, std::vector<int64_t>& values) {
  values.clear();
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    int64_t v = 0;
    if (!ParseInt(word, v)) return false;
    values.push_back(v);
  }
  return true;
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

bool Digits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Text values must stay on one line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// One ЭКЛЗ record, appended when it fits what the ЭКЛЗ writes: numbered in order, an
// activation first and only there, nothing after the archive's closing, a receipt of a
// known type.
bool ReadEklzRecord(const std::vector<int64_t>& v, Eklz& eklz) {
  if (v.size() != 7 + kFmReceiptTypes) return false;
  EklzRecord r;
  if (v[0] < 0 || v[0] > static_cast<int64_t>(EklzRecordKind::ArchiveClose)) return false;
  r.kind = static_cast<EklzRecordKind>(v[0]);
  if (v[1] != static_cast<int64_t>(eklz.records.size()) + 1) return false;
  if ((r.kind == EklzRecordKind::Activation) != eklz.records.empty()) return false;
  if (eklz.ArchiveClosed()) return false;
  r.kpk = static_cast<uint32_t>(v[1]);
  r.shift = static_cast<int>(v[2]);
  r.at = v[3];
  r.document = static_cast<int>(v[4]);
  if (r.kind == EklzRecordKind::Receipt && (v[5] < 1 || v[5] > kFmReceiptTypes)) return false;
  r.receiptType = static_cast<uint8_t>(v[5]);
  r.total = v[6];
  for (int t = 0; t < kFmReceiptTypes; ++t) r.totals[t] = v[7 + t];
  eklz.records.push_back(r);
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
  for (const ReceiptLine& l : s.receipt.lines) {
    out << "receipt.line " << int{l.code} << " " << l.price << " " << l.quantity << " "
        << int{l.section} << " " << l.amount << " " << l.adjustment << "\n";
  }
  for (size_t i = 0; i < s.receipt.card.size(); ++i) {
    if (!s.receipt.card[i].empty())
      out << "receipt.card " << i << " " << OneLine(s.receipt.card[i]) << "\n";
  }
  for (const std::string& note : s.receipt.notes) out << "receipt.note " << OneLine(note) << "\n";
  // The fiscal memory: "fm.registration DATE REGNUMBER INN AFTERSHIFT" and
  // "fm.shift SHIFT DATE TOTAL1 .. TOTAL6", in the order they were written.
  for (const RegistrationRecord& r : s.fm.registrations) {
    out << "fm.registration " << r.date << " " << r.regNumber << " " << r.inn << " " << r.afterShift
        << "\n";
  }
  for (const ShiftRecord& r : s.fm.shifts) {
    out << "fm.shift " << r.shift << " " << r.date;
    for (int64_t v : r.totals) out << " " << v;
    out << "\n";
  }
  // The ЭКЛЗ: "eklz.record KIND KPK SHIFT AT DOCUMENT TYPE TOTAL TOTAL1 .. TOTAL6", in
  // the order they were written.
  for (const EklzRecord& r : s.eklz.records) {
    out << "eklz.record " << static_cast<int>(r.kind) << " " << r.kpk << " " << r.shift << " "
        << r.at << " " << r.document << " " << int{r.receiptType} << " " << r.total;
    for (int64_t v : r.totals) out << " " << v;
    out << "\n";
  }
  // The picture memory: "picture LINEBYTES HEX" per picture, in number order (the height
  // follows from the bytes), and "pictures.uploadOpen 1" when the last one is unfinished.
  for (const StoredPicture& p : s.pictures.pictures)
    out << "picture " << p.lineBytes << " " << Hex(p.lines) << "\n";
  if (s.pictures.uploadOpen) out << "pictures.uploadOpen 1\n";
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
    auto bad = [&] { return fail("line " + std::to_string(number) + ": " + line); };
    if (key == "header") {
      legacyHeader.push_back(value);
      continue;
    }
    if (key == "ending") {
      legacyEnding.push_back(value);
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
    if (key == "picture") {
      std::istringstream fields(value);
      std::string width, hex, rest;
      fields >> width >> hex >> rest;
      int64_t w = 0;
      StoredPicture p;
      if (!ParseInt(width, w) || w < 1 || w > static_cast<int64_t>(kPictureMaxLineBytes) ||
          !ParseHex(hex, p.lines) || p.lines.empty() || p.lines.size() % static_cast<size_t>(w) ||
          !rest.empty() || s.pictures.Count() >= kMaxPictures)
        return bad();
      p.lineBytes = static_cast<size_t>(w);
      s.pictures.pictures.push_back(std::move(p));
      continue;
    }
    if (key == "pictures.uploadOpen") {
      s.pictures.uploadOpen = value == "1";
      continue;
    }
    if (key == "receipt.note") {
      s.receipt.notes.push_back(value);
      continue;
    }
    if (key == "receipt.card") {
      const size_t blank2 = value.find(' ');
      int64_t i = 0;
      if (!ParseInt(value.substr(0, blank2), i) || i < 0 ||
          i >= static_cast<int64_t>(s.receipt.card.size()))
        return bad();
      s.receipt.card[static_cast<size_t>(i)] =
          blank2 == std::string::npos ? "" : value.substr(blank2 + 1);
      continue;
    }
    if (key == "fm.registration") {
      std::istringstream fields(value);
      std::string date, regNumber, inn, after, rest;
      fields >> date >> regNumber >> inn >> after >> rest;
      RegistrationRecord r;
      int64_t d = 0, a = 0;
      if (!ParseInt(date, d) || !ParseInt(after, a) || !Digits(regNumber) || !Digits(inn) ||
          !rest.empty())
        return bad();
      r.date = static_cast<int>(d);
      r.regNumber = regNumber;
      r.inn = inn;
      r.afterShift = static_cast<int>(a);
      s.fm.registrations.push_back(std::move(r));
      continue;
    }
    if (key == "fm.shift") {
      std::vector<int64_t> v;
      if (!ParseInts(value, v) || v.size() != 2 + kFmReceiptTypes) return bad();
      ShiftRecord r;
      r.shift = static_cast<int>(v[0]);
      r.date = static_cast<int>(v[1]);
      for (int t = 0; t < kFmReceiptTypes; ++t) r.totals[t] = v[2 + t];
      s.fm.shifts.push_back(r);
      continue;
    }
    if (key == "eklz.record") {
      std::vector<int64_t> v;
      if (!ParseInts(value, v) || !ReadEklzRecord(v, s.eklz)) return bad();
      continue;
    }
    if (key == "receipt.line") {
      std::vector<int64_t> v;
      if (!ParseInts(value, v) || v.size() != 6 || v[0] < 0 || v[0] > 255 || v[3] < 1 ||
          v[3] > kSections)
        return bad();
      s.receipt.lines.push_back(
          {static_cast<uint8_t>(v[0]), v[1], v[2], static_cast<uint8_t>(v[3]), v[4], v[5]});
      continue;
    }
    bool known = false;
    for (const ListField& f : kListFields) {
      if (key != f.key) continue;
      std::vector<int64_t> v;
      if (!ParseInts(value, v) || !f.set(s, v)) return bad();
      known = true;
    }
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
  if (s.submode == VirtualRegister::kReportSubmode && (s.mode == 2 || s.mode == 3 || s.mode == 5))
    s.submode = 0;
  if (s.submode == VirtualRegister::kGeneralClearingSubmode && s.mode == 3) s.submode = 0;
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
  std::ifstream in(path, std::ios::binary);
  if (existed) *existed = static_cast<bool>(in);
  if (!in) return true;
  std::ostringstream text;
  text << in.rdbuf();
  return ParseState(text.str(), state, error);
}

}  // namespace ptk::emu
