// The ЭКЛЗ mode (6): activation (0xA6, once per ЭКЛЗ), closing its archive (0xA7), the
// activation totals (0xA8), the queries of a shift's totals (0xA9), of a shift's control
// tape (0xAA) and of one document by its КПК number (0xAB), and the reports by dates
// (0xAC) and by shifts (0xAD); the ЭКЛЗ's state (0xAE) in any mode.
//
// Activation, its totals and the archive's closing print their document before they
// answer. Reports and queries answer at once and then print in the printing submode of
// the mode (0x16, back to 0x06 at the end), from the ЭКЛЗ's records.
#include "core/link/encoding.h"
#include "emulator/fiscal_memory.h"
#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;
using Lines = std::vector<std::string>;

constexpr uint8_t kModeEklz = 6;

std::string EklzNumber(const RegisterState& s) {
  return Padded(static_cast<int64_t>(s.counters.eklzNumber), 10);
}

std::string At(int64_t seconds) {
  return DateTimeText(FromSeconds(seconds));
}

// Title, the ЭКЛЗ's number, the register's factory number and requisites.
Lines Heading(const RegisterState& s, std::string_view title) {
  Lines out{CentredLine(title), TapeLine("ЭКЛЗ", EklzNumber(s)),
            TapeLine("ЗАВ.N", s.factoryNumber)};
  if (!s.fm.registrations.empty()) {
    out.push_back(TapeLine("РНМ", s.fm.registrations.back().regNumber));
    out.push_back(TapeLine("ИНН", s.fm.registrations.back().inn));
  }
  return out;
}

void KpkLine(Lines& out, uint32_t kpk) {
  out.push_back(TapeLine("КПК", Padded(kpk, 8)));
}

void ReceiptLines(const EklzRecord& r, Lines& out) {
  out.push_back(TapeLine(ReceiptTypeName(r.receiptType), "ДОК. " + Padded(r.document, 4)));
  out.push_back(TapeLine(At(r.at), "=" + MoneyText(r.total)));
  KpkLine(out, r.kpk);
}

void ClosingLines(const EklzRecord& r, Lines& out) {
  out.push_back(TapeLine("ЗАКРЫТИЕ СМЕНЫ " + Padded(r.shift, 4), "ДОК. " + Padded(r.document, 4)));
  out.push_back(At(r.at));
  TotalsLines(r.totals, "  ", out);
  KpkLine(out, r.kpk);
}

// Four BCD digits of a shift number; -1 when they are no number.
int ReadShift(std::span<const uint8_t> p) {
  int64_t v = 0;
  return BcdValue(p.first(2), v) ? static_cast<int>(v) : -1;
}

// Day, month, year (two digits) as BCD; 0 when it is no date.
int ReadDate(std::span<const uint8_t> p) {
  if (!IsBcd(p[0]) || !IsBcd(p[1]) || !IsBcd(p[2])) return 0;
  const int day = BcdToInt(p[0]), month = BcdToInt(p[1]), year = 2000 + BcdToInt(p[2]);
  return ValidDate(year, month, day) ? PackDate(year, month, day) : 0;
}

Reply Activate(VirtualRegister& reg, const Command&) {
  RegisterState& s = reg.state();
  if (s.eklz.Activated()) return R::Error(rc::kEklzState);
  if (!s.fiscalized) return R::Error(rc::kNotFiscalized);
  if (s.shiftOpen) return R::Error(rc::kShiftOpen);
  if (s.counters.eklzActivations >= kMaxEklzActivations) return R::Error(rc::kEklzActivationsUsed);

  const DateTime now = reg.Now();
  EklzRecord r;
  r.kind = EklzRecordKind::Activation;
  r.kpk = 1;
  r.shift = s.lastClosedShift + 1;
  r.at = ToSeconds(now);
  r.document = ++s.documentNumber;
  s.eklz.records.push_back(r);
  // The registers read the activation from the counters.
  ++s.counters.eklzActivations;
  s.counters.eklzActivationDate = PackDate(now.year, now.month, now.day);
  s.counters.eklzActivationShift = r.shift;

  Lines out = Heading(s, "АКТИВИЗАЦИЯ ЭКЛЗ");
  out.insert(out.begin() + 1, TapeLine("ДОК. " + Padded(r.document, 4), DateTimeText(now)));
  out.push_back(TapeLine("АКТИВИЗАЦИЯ N", std::to_string(s.counters.eklzActivations)));
  out.push_back(TapeLine("ОСТАЛОСЬ АКТИВИЗАЦИЙ",
                         std::to_string(kMaxEklzActivations - s.counters.eklzActivations)));
  KpkLine(out, r.kpk);
  out.push_back(Dashes());
  for (std::string& line : out) reg.Print(std::move(line));
  return R::Ok();
}

Reply ActivationTotals(VirtualRegister& reg, const Command&) {
  const RegisterState& s = reg.state();
  if (!s.eklz.Activated()) return R::Error(rc::kEklzState);
  const EklzRecord& a = s.eklz.records.front();
  Lines out = Heading(s, "ИТОГИ АКТИВИЗАЦИИ ЭКЛЗ");
  out.push_back(TapeLine("АКТИВИЗАЦИЯ", At(a.at)));
  out.push_back(TapeLine("ДОК.", Padded(a.document, 4)));
  out.push_back(TapeLine("С СМЕНЫ", Padded(a.shift, 4)));
  KpkLine(out, a.kpk);
  out.push_back(Dashes());
  for (std::string& line : out) reg.Print(std::move(line));
  return R::Ok();
}

Reply CloseArchive(VirtualRegister& reg, const Command&) {
  RegisterState& s = reg.state();
  if (!s.eklz.Writing()) return R::Error(rc::kEklzState);
  if (s.shiftOpen) return R::Error(rc::kCannotCloseArchive);
  const DateTime now = reg.Now();
  EklzRecord r;
  r.kind = EklzRecordKind::ArchiveClose;
  r.kpk = s.eklz.LastKpk() + 1;
  r.shift = s.lastClosedShift;
  r.at = ToSeconds(now);
  r.document = ++s.documentNumber;
  int shifts = 0;
  for (const EklzRecord& c : s.eklz.records) {
    if (c.kind != EklzRecordKind::ShiftClose) continue;
    ++shifts;
    for (int t = 0; t < kFmReceiptTypes; ++t) r.totals[t] += c.totals[t];
  }
  s.eklz.records.push_back(r);

  Lines out = Heading(s, "ЗАКРЫТИЕ АРХИВА ЭКЛЗ");
  out.insert(out.begin() + 1, TapeLine("ДОК. " + Padded(r.document, 4), DateTimeText(now)));
  out.push_back(TapeLine("ЗАКРЫТО СМЕН", std::to_string(shifts)));
  TotalsLines(r.totals, "", out);
  KpkLine(out, r.kpk);
  out.push_back(Dashes());
  for (std::string& line : out) reg.Print(std::move(line));
  return R::Ok();
}

// The shift of a query: 0 when it is no shift number (A2 is answered).
int QueryShift(const Command& c) {
  const int shift = ReadShift(c.params);
  return shift > 0 ? shift : 0;
}

// The ЭКЛЗ knows a shift by its closing or, while it is open, by its receipts.
bool KnowsShift(const Eklz& e, int shift) {
  return e.ShiftClosing(shift) != nullptr || !e.ReceiptsOf(shift).empty();
}

Reply ShiftTotals(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  if (!s.eklz.Activated()) return R::Error(rc::kEklzState);
  const int shift = QueryShift(c);
  if (shift == 0) return R::Error(rc::kBadShift);
  if (!KnowsShift(s.eklz, shift)) return R::Error(rc::kEklzNoData);
  Lines out = Heading(s, "ИТОГИ СМЕНЫ " + Padded(shift, 4));
  out.push_back(Dashes());
  if (const EklzRecord* closing = s.eklz.ShiftClosing(shift)) {
    out.push_back(TapeLine("СМЕНА ЗАКРЫТА", At(closing->at)));
    TotalsLines(closing->totals, "", out);
    KpkLine(out, closing->kpk);
  } else {
    std::array<int64_t, kFmReceiptTypes> totals{};
    for (const EklzRecord& r : s.eklz.ReceiptsOf(shift)) totals[r.receiptType - 1] += r.total;
    out.push_back("СМЕНА ОТКРЫТА");
    TotalsLines(totals, "", out);
  }
  out.push_back(Dashes());
  reg.StartReport(std::move(out), c.now, kEklzReportSubmode);
  return R::Ok();
}

Reply ShiftTape(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  if (!s.eklz.Activated()) return R::Error(rc::kEklzState);
  const int shift = QueryShift(c);
  if (shift == 0) return R::Error(rc::kBadShift);
  if (!KnowsShift(s.eklz, shift)) return R::Error(rc::kEklzNoData);
  Lines out = Heading(s, "КОНТРОЛЬНАЯ ЛЕНТА СМЕНЫ " + Padded(shift, 4));
  out.push_back(Dashes());
  for (const EklzRecord& r : s.eklz.ReceiptsOf(shift)) ReceiptLines(r, out);
  if (const EklzRecord* closing = s.eklz.ShiftClosing(shift)) ClosingLines(*closing, out);
  out.push_back(Dashes());
  reg.StartReport(std::move(out), c.now, kEklzReportSubmode);
  return R::Ok();
}

Reply Document(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  if (!s.eklz.Activated()) return R::Error(rc::kEklzState);
  int64_t kpk = 0;
  const EklzRecord* r =
      BcdValue(c.params.first(4), kpk) ? s.eklz.FindKpk(static_cast<uint32_t>(kpk)) : nullptr;
  if (!r) return R::Error(rc::kEklzNoData);
  Lines out = Heading(s, "ДОКУМЕНТ ПО НОМЕРУ КПК");
  out.push_back(Dashes());
  switch (r->kind) {
    case EklzRecordKind::Receipt:
      out.push_back(TapeLine("СМЕНА", Padded(r->shift, 4)));
      ReceiptLines(*r, out);
      break;
    case EklzRecordKind::ShiftClose:
      ClosingLines(*r, out);
      break;
    case EklzRecordKind::Activation:
    case EklzRecordKind::ArchiveClose:
      out.push_back(
          TapeLine(r->kind == EklzRecordKind::Activation ? "АКТИВИЗАЦИЯ" : "ЗАКРЫТИЕ АРХИВА",
                   "ДОК. " + Padded(r->document, 4)));
      out.push_back(At(r->at));
      KpkLine(out, r->kpk);
      break;
  }
  out.push_back(Dashes());
  reg.StartReport(std::move(out), c.now, kEklzReportSubmode);
  return R::Ok();
}

// The closed shifts of a report: each with its totals in a full report, then the period's.
Lines ReportLines(const RegisterState& s, std::string_view title, const std::string& period,
                  bool full, const std::vector<EklzRecord>& closings) {
  Lines out = Heading(s, title);
  out.insert(out.begin() + 1, CentredLine(full ? "ПОЛНЫЙ" : "СОКРАЩЕННЫЙ"));
  out.insert(out.begin() + 2, period);
  out.push_back(Dashes());
  std::array<int64_t, kFmReceiptTypes> sum{};
  for (const EklzRecord& r : closings) {
    for (int t = 0; t < kFmReceiptTypes; ++t) sum[t] += r.totals[t];
    if (!full) continue;
    out.push_back(TapeLine("СМЕНА " + Padded(r.shift, 4), At(r.at)));
    TotalsLines(r.totals, "  ", out);
    KpkLine(out, r.kpk);
  }
  if (full) out.push_back(Dashes());
  out.push_back(TapeLine("ИТОГО ЗА ПЕРИОД", "СМЕН " + std::to_string(closings.size())));
  TotalsLines(sum, "", out);
  out.push_back(Dashes());
  return out;
}

// The type byte of both reports: 1 full, 0 short.
bool ReadFull(uint8_t type, bool& full) {
  full = type == 1;
  return type <= 1;
}

Reply ReportByDates(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  if (!s.eklz.Activated()) return R::Error(rc::kEklzState);
  bool full = false;
  if (!ReadFull(c.params[0], full)) return R::Error(rc::kBadReportType);
  const int first = ReadDate(c.params.subspan(1, 3));
  const int last = ReadDate(c.params.subspan(4, 3));
  if (first == 0 || last == 0 || first > last) return R::Error(rc::kBadDate);
  const std::vector<EklzRecord> closings = s.eklz.ClosingsByDates(first, last);
  if (closings.empty()) return R::Error(rc::kEklzNoData);
  const std::string period = TapeLine("С " + FmDateText(first), "ПО " + FmDateText(last));
  reg.StartReport(ReportLines(s, "ОТЧЕТ ЭКЛЗ ПО ДАТАМ", period, full, closings), c.now,
                  kEklzReportSubmode);
  return R::Ok();
}

Reply ReportByShifts(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  if (!s.eklz.Activated()) return R::Error(rc::kEklzState);
  bool full = false;
  if (!ReadFull(c.params[0], full)) return R::Error(rc::kBadReportType);
  const int first = ReadShift(c.params.subspan(1, 2));
  const int last = ReadShift(c.params.subspan(3, 2));
  if (first <= 0 || last <= 0 || first > last) return R::Error(rc::kBadShift);
  const std::vector<EklzRecord> closings = s.eklz.ClosingsByShifts(first, last);
  if (closings.empty()) return R::Error(rc::kEklzNoData);
  const std::string period =
      TapeLine("СО СМЕНЫ " + Padded(first, 4), "ПО СМЕНУ " + Padded(last, 4));
  reg.StartReport(ReportLines(s, "ОТЧЕТ ЭКЛЗ ПО СМЕНАМ", period, full, closings), c.now,
                  kEklzReportSubmode);
  return R::Ok();
}

// Total of the current document (5 BCD: 8 digits of roubles, 2 of kopecks), date (year,
// month, day) and time (hours, minutes) of the last record, the last КПК (5 BCD), the
// ЭКЛЗ's number (5 BCD), the flags, the current or next shift (2 BCD).
Reply State(VirtualRegister& reg, const Command&) {
  const RegisterState& s = reg.state();
  const Eklz& e = s.eklz;
  const EklzRecord* lastReceipt = nullptr;
  for (const EklzRecord& r : e.records)
    if (r.kind == EklzRecordKind::Receipt) lastReceipt = &r;
  const bool documentOpen = e.Writing() && s.receiptState != 0;

  std::vector<uint8_t> d = MoneyBcd(documentOpen  ? s.receiptSum
                                    : lastReceipt ? lastReceipt->total
                                                  : 0);
  if (e.records.empty()) {
    d.insert(d.end(), 5, 0x00);
  } else {
    const DateTime t = FromSeconds(e.records.back().at);
    for (int v : {t.year % 100, t.month, t.day, t.hour, t.minute}) d.push_back(ToBcd(v));
  }
  for (uint64_t number : {static_cast<uint64_t>(e.LastKpk()), s.counters.eklzNumber}) {
    std::vector<uint8_t> bcd = NumberToBcd(number % 10'000'000'000ull, 10);
    d.insert(d.end(), bcd.begin(), bcd.end());
  }
  uint8_t flags = EklzDocumentType(documentOpen  ? s.receiptState
                                   : lastReceipt ? lastReceipt->receiptType
                                                 : 0);
  if (e.Writing()) flags |= 0x04;  // archive open
  if (e.Activated()) flags |= 0x08;
  if (reg.ReportPrinting() && s.mode == kModeEklz) flags |= 0x10;
  if (documentOpen) flags |= 0x20;
  if (e.Writing() && s.shiftOpen) flags |= 0x40;
  d.push_back(flags);
  std::vector<uint8_t> shift =
      NumberToBcd(static_cast<uint64_t>((s.lastClosedShift + 1) % 10000), 4);
  d.insert(d.end(), shift.begin(), shift.end());
  return R::Ok(std::move(d));
}

}  // namespace

void RegisterEklzCommands(CommandTable& table) {
  const uint16_t eklz = Modes({kModeEklz});
  table.Add({0xA6, "eklz activation", 0, eklz, true, Activate});
  table.Add({0xA7, "eklz archive closing", 0, eklz, true, CloseArchive});
  table.Add({0xA8, "eklz activation totals", 0, eklz, true, ActivationTotals});
  table.Add({0xA9, "eklz shift totals", 2, eklz, true, ShiftTotals});
  table.Add({0xAA, "eklz control tape", 2, eklz, true, ShiftTape});
  table.Add({0xAB, "eklz document", 4, eklz, true, Document});
  table.Add({0xAC, "eklz report by dates", 7, eklz, true, ReportByDates});
  table.Add({0xAD, "eklz report by shifts", 5, eklz, true, ReportByShifts});
  table.Add({.code = 0xAE, .name = "eklz state", .handler = State, .whilePrinting = true});
}

}  // namespace ptk::emu
