#include "emulator/state_records.h"

#include <charconv>
#include <limits>
#include <sstream>
#include <utility>

namespace ptk::emu::state {

namespace {

constexpr int64_t kIntMax = std::numeric_limits<int>::max();

bool ParseInt(std::string_view text, int64_t& v) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() && ptr == text.data() + text.size();
}

bool ParseHex(std::string_view text, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (text == "-") return true;
  if (text.empty() || text.size() % 2 != 0) return false;
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

// Numbers separated by blanks.
std::string Joined(std::initializer_list<int64_t> values) {
  std::string out;
  for (int64_t v : values) {
    if (!out.empty()) out += ' ';
    out += std::to_string(v);
  }
  return out;
}
template <size_t N>
std::string WithTotals(std::string head, const std::array<int64_t, N>& totals) {
  for (int64_t v : totals) head += " " + std::to_string(v);
  return head;
}

// receipt.line CODE PRICE QUANTITY SECTION AMOUNT ADJUSTMENT
std::vector<std::string> WriteReceiptLines(const RegisterState& s) {
  std::vector<std::string> out;
  for (const ReceiptLine& l : s.receipt.lines)
    out.push_back(Joined({l.code, l.price, l.quantity, l.section, l.amount, l.adjustment}));
  return out;
}
bool ReadReceiptLine(const std::string& value, RegisterState& s, std::string& why) {
  const std::string key = "receipt.line";
  std::vector<int64_t> v;
  if (!ReadNumbers(key, value, 6, v, why) || !InRange(key + " command", v[0], 0, 255, why) ||
      !InRange(key + " section", v[3], 1, kSections, why))
    return false;
  s.receipt.lines.push_back(
      {static_cast<uint8_t>(v[0]), v[1], v[2], static_cast<uint8_t>(v[3]), v[4], v[5]});
  return true;
}

// receipt.card NUMBER TEXT, for the card's texts that are set.
std::vector<std::string> WriteCard(const RegisterState& s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.receipt.card.size(); ++i) {
    if (!s.receipt.card[i].empty())
      out.push_back(std::to_string(i) + " " + OneLine(s.receipt.card[i]));
  }
  return out;
}
bool ReadCard(const std::string& value, RegisterState& s, std::string& why) {
  const size_t blank = value.find(' ');
  int64_t i = 0;
  if (!ReadNumber(value.substr(0, blank), "receipt.card number", 0,
                  static_cast<int64_t>(s.receipt.card.size()) - 1, i, why))
    return false;
  s.receipt.card[static_cast<size_t>(i)] =
      blank == std::string::npos ? "" : value.substr(blank + 1);
  return true;
}

// receipt.note TEXT
std::vector<std::string> WriteNotes(const RegisterState& s) {
  std::vector<std::string> out;
  for (const std::string& note : s.receipt.notes) out.push_back(OneLine(note));
  return out;
}
bool ReadNote(const std::string& value, RegisterState& s, std::string&) {
  s.receipt.notes.push_back(value);
  return true;
}

// The fiscal memory, in the order it was written:
// fm.registration DATE REGNUMBER INN AFTERSHIFT
std::vector<std::string> WriteRegistrations(const RegisterState& s) {
  std::vector<std::string> out;
  for (const RegistrationRecord& r : s.fm.registrations) {
    out.push_back(std::to_string(r.date) + " " + r.regNumber + " " + r.inn + " " +
                  std::to_string(r.afterShift));
  }
  return out;
}
bool ReadRegistration(const std::string& value, RegisterState& s, std::string& why) {
  const std::string key = "fm.registration";
  const std::vector<std::string> w = Words(value);
  int64_t date = 0, after = 0;
  if (w.size() != 4) {
    why = key + " needs 4 fields (date, registration number, ИНН, shift), has " +
          std::to_string(w.size());
    return false;
  }
  if (!ReadNumber(w[0], key + " date", 0, kIntMax, date, why) ||
      !ReadNumber(w[3], key + " shift", 0, kIntMax, after, why))
    return false;
  if (!Digits(w[1]) || !Digits(w[2])) {
    why = key + ": the registration number and the ИНН must be digits";
    return false;
  }
  s.fm.registrations.push_back({static_cast<int>(date), w[1], w[2], static_cast<int>(after)});
  return true;
}

// fm.shift SHIFT DATE TOTAL1 .. TOTAL6
std::vector<std::string> WriteShifts(const RegisterState& s) {
  std::vector<std::string> out;
  for (const ShiftRecord& r : s.fm.shifts)
    out.push_back(WithTotals(Joined({r.shift, r.date}), r.totals));
  return out;
}
bool ReadShift(const std::string& value, RegisterState& s, std::string& why) {
  const std::string key = "fm.shift";
  std::vector<int64_t> v;
  if (!ReadNumbers(key, value, 2 + kFmReceiptTypes, v, why) ||
      !InRange(key + " shift", v[0], 0, kIntMax, why) ||
      !InRange(key + " date", v[1], 0, kIntMax, why))
    return false;
  ShiftRecord r;
  r.shift = static_cast<int>(v[0]);
  r.date = static_cast<int>(v[1]);
  for (int t = 0; t < kFmReceiptTypes; ++t) r.totals[t] = v[2 + t];
  s.fm.shifts.push_back(r);
  return true;
}

// The ЭКЛЗ, in the order it was written:
// eklz.record KIND KPK SHIFT AT DOCUMENT TYPE TOTAL TOTAL1 .. TOTAL6
std::vector<std::string> WriteEklzRecords(const RegisterState& s) {
  std::vector<std::string> out;
  for (const EklzRecord& r : s.eklz.records) {
    out.push_back(WithTotals(Joined({static_cast<int>(r.kind), r.kpk, r.shift, r.at, r.document,
                                     r.receiptType, r.total}),
                             r.totals));
  }
  return out;
}
// Appended when it fits what the ЭКЛЗ writes: numbered in order, an activation first and
// only there, nothing after the archive's closing, a receipt of a known type.
bool ReadEklzRecord(const std::string& value, RegisterState& s, std::string& why) {
  const std::string key = "eklz.record";
  Eklz& eklz = s.eklz;
  std::vector<int64_t> v;
  if (!ReadNumbers(key, value, 7 + kFmReceiptTypes, v, why) ||
      !InRange(key + " kind", v[0], 0, static_cast<int64_t>(EklzRecordKind::ArchiveClose), why) ||
      !InRange(key + " shift", v[2], 0, kIntMax, why) ||
      !InRange(key + " document", v[4], 0, kIntMax, why) ||
      !InRange(key + " type", v[5], 0, kFmReceiptTypes, why))
    return false;
  EklzRecord r;
  r.kind = static_cast<EklzRecordKind>(v[0]);
  if (v[1] != static_cast<int64_t>(eklz.records.size()) + 1) {
    why = key + " " + std::to_string(v[1]) + " is out of order (" +
          std::to_string(eklz.records.size() + 1) + " expected)";
    return false;
  }
  if ((r.kind == EklzRecordKind::Activation) != eklz.records.empty()) {
    why = key + ": the activation must be the first record and only that";
    return false;
  }
  if (eklz.ArchiveClosed()) {
    why = key + " after the archive's closing";
    return false;
  }
  if (r.kind == EklzRecordKind::Receipt && v[5] < 1) {
    why = key + ": a receipt without its type";
    return false;
  }
  r.kpk = static_cast<uint32_t>(v[1]);
  r.shift = static_cast<int>(v[2]);
  r.at = v[3];
  r.document = static_cast<int>(v[4]);
  r.receiptType = static_cast<uint8_t>(v[5]);
  r.total = v[6];
  for (int t = 0; t < kFmReceiptTypes; ++t) r.totals[t] = v[7 + t];
  eklz.records.push_back(r);
  return true;
}

// The picture memory, in number order (the height follows from the bytes):
// picture LINEBYTES HEX
std::vector<std::string> WritePictures(const RegisterState& s) {
  std::vector<std::string> out;
  for (const StoredPicture& p : s.pictures.pictures)
    out.push_back(std::to_string(p.lineBytes) + " " + Hex(p.lines));
  return out;
}
bool ReadPicture(const std::string& value, RegisterState& s, std::string& why) {
  const std::vector<std::string> w = Words(value);
  int64_t width = 0;
  StoredPicture p;
  if (w.size() != 2) {
    why = "picture needs 2 fields (line bytes, bytes), has " + std::to_string(w.size());
    return false;
  }
  if (!ReadNumber(w[0], "picture line bytes", 1, static_cast<int64_t>(kPictureMaxLineBytes), width,
                  why))
    return false;
  if (!ParseHex(w[1], p.lines) || p.lines.empty() ||
      p.lines.size() % static_cast<size_t>(width) != 0) {
    why = "picture: the bytes are no whole lines of " + w[0] + " bytes";
    return false;
  }
  if (s.pictures.Count() >= kMaxPictures) {
    why = "more than " + std::to_string(kMaxPictures) + " pictures";
    return false;
  }
  p.lineBytes = static_cast<size_t>(width);
  s.pictures.pictures.push_back(std::move(p));
  return true;
}

// pictures.uploadOpen 1, when the last picture is unfinished.
std::vector<std::string> WriteUploadOpen(const RegisterState& s) {
  if (!s.pictures.uploadOpen) return {};
  return {"1"};
}
bool ReadUploadOpen(const std::string& value, RegisterState& s, std::string& why) {
  int64_t open = 0;
  if (!ReadNumber(value, "pictures.uploadOpen", 0, 1, open, why)) return false;
  s.pictures.uploadOpen = open == 1;
  return true;
}

// table TABLE ROW FIELD HEX
std::vector<std::string> WriteTableFields(const RegisterState& s) {
  std::vector<std::string> out;
  for (const auto& [a, value] : s.tables.all())
    out.push_back(Joined({a.table, a.row, a.field}) + " " + Hex(value));
  return out;
}
bool ReadTableField(const std::string& value, RegisterState& s, std::string& why) {
  const std::vector<std::string> w = Words(value);
  int64_t t = 0, r = 0, f = 0;
  std::vector<uint8_t> bytes;
  if (w.size() < 4) {
    why = "table needs 4 fields (table, row, field, bytes), has " + std::to_string(w.size());
    return false;
  }
  if (!ReadNumber(w[0], "table number", 0, 255, t, why) ||
      !ReadNumber(w[1], "table row", 0, 65535, r, why) ||
      !ReadNumber(w[2], "table field", 0, 255, f, why))
    return false;
  if (!ParseHex(w[3], bytes)) {
    why = "table: cannot read the bytes \"" + w[3] + "\"";
    return false;
  }
  s.tables.Set({static_cast<uint8_t>(t), static_cast<uint16_t>(r), static_cast<uint8_t>(f)},
               std::move(bytes));
  return true;
}

const RecordCodec kRecordCodecs[] = {
    {"receipt.line", WriteReceiptLines, ReadReceiptLine},
    {"receipt.card", WriteCard, ReadCard},
    {"receipt.note", WriteNotes, ReadNote},
    {"fm.registration", WriteRegistrations, ReadRegistration},
    {"fm.shift", WriteShifts, ReadShift},
    {"eklz.record", WriteEklzRecords, ReadEklzRecord},
    {"picture", WritePictures, ReadPicture},
    {"pictures.uploadOpen", WriteUploadOpen, ReadUploadOpen},
    {"table", WriteTableFields, ReadTableField},
};

}  // namespace

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

bool InRange(const std::string& what, int64_t v, int64_t lowest, int64_t highest,
             std::string& why) {
  if (v >= lowest && v <= highest) return true;
  why = what + " " + std::to_string(v) + " is out of range " + std::to_string(lowest) + ".." +
        std::to_string(highest);
  return false;
}

bool ReadNumber(const std::string& word, const std::string& what, int64_t lowest, int64_t highest,
                int64_t& v, std::string& why) {
  if (word.empty()) {
    why = what + " has no value";
    return false;
  }
  if (!ParseInt(word, v)) {
    why = what + ": cannot read \"" + word + "\"";
    return false;
  }
  return InRange(what, v, lowest, highest, why);
}

bool ReadNumbers(const std::string& key, const std::string& text, size_t count,
                 std::vector<int64_t>& values, std::string& why) {
  const std::vector<std::string> words = Words(text);
  if (words.size() != count) {
    why = key + " needs " + std::to_string(count) + " numbers, has " + std::to_string(words.size());
    return false;
  }
  values.assign(count, 0);
  for (size_t i = 0; i < count; ++i) {
    if (!ParseInt(words[i], values[i])) {
      why = key + ": cannot read \"" + words[i] + "\"";
      return false;
    }
  }
  return true;
}

bool EightDigits(const std::string& text) {
  return text.size() == 8 && Digits(text);
}

bool UpToEightDigits(const std::string& text) {
  return text.empty() || (text.size() <= 8 && Digits(text));
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

std::span<const RecordCodec> RecordCodecs() {
  return kRecordCodecs;
}

}  // namespace ptk::emu::state
