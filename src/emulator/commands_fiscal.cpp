// The fiscal-memory mode (5): the factory number (0x61, once only), fiscalisation and
// re-registration (0x62, at most five registrations in all), the ranges of dates and
// shifts the memory holds (0x63) and the reports by dates (0x65) and by shifts (0x66),
// printed from the memory's records in 0x25.
#include "core/link/encoding.h"
#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;

// The BCD bytes as their digits; false when a nibble is no digit.
bool BcdDigits(std::span<const uint8_t> bytes, std::string& digits) {
  digits.clear();
  for (uint8_t b : bytes) {
    if (!IsBcd(b)) return false;
    digits += static_cast<char>('0' + (b >> 4));
    digits += static_cast<char>('0' + (b & 0x0F));
  }
  return true;
}

bool AllZero(const std::string& digits) {
  return digits.find_first_not_of('0') == std::string::npos;
}

// Day, month, year (two digits) as BCD; 0 when it is no date.
int ReadDate(std::span<const uint8_t> p) {
  if (!IsBcd(p[0]) || !IsBcd(p[1]) || !IsBcd(p[2])) return 0;
  const int day = BcdToInt(p[0]), month = BcdToInt(p[1]), year = 2000 + BcdToInt(p[2]);
  return ValidDate(year, month, day) ? PackDate(year, month, day) : 0;
}

// Four BCD digits of a shift number; -1 when they are no number.
int ReadShift(std::span<const uint8_t> p) {
  int64_t v = 0;
  return BcdValue(p.first(2), v) ? static_cast<int>(v) : -1;
}

void PutDate(std::vector<uint8_t>& out, int date) {
  out.push_back(ToBcd(DateDay(date)));
  out.push_back(ToBcd(DateMonth(date)));
  out.push_back(ToBcd(DateYear(date) % 100));
}

// Factory number: four BCD bytes. Once set it cannot change.
Reply FactoryNumber(VirtualRegister& reg, const Command& c) {
  RegisterState& s = reg.state();
  if (!s.factoryNumber.empty() && !AllZero(s.factoryNumber)) return R::Error(rc::kFactoryNumberSet);
  std::string digits;
  if (!BcdDigits(c.params.first(4), digits) || AllZero(digits))
    return R::Error(rc::kBadFactoryNumber);
  s.factoryNumber = digits;
  reg.Print(TapeLine("ЗАВОДСКОЙ НОМЕР", digits));
  reg.Print(TapeLine("ЗАПРОГРАММИРОВАН", DateTimeText(reg.Now())));
  reg.Print(std::string(kTapeWidth, '-'));
  return R::Ok();
}

// Registration number (5 BCD bytes), ИНН (6), the new fiscal-memory password (4).
Reply Fiscalize(VirtualRegister& reg, const Command& c) {
  RegisterState& s = reg.state();
  if (s.factoryNumber.empty() || AllZero(s.factoryNumber)) return R::Error(rc::kNoFactoryNumber);
  if (s.shiftOpen) return R::Error(rc::kClearingNeeded);
  std::string regNumber, inn, password;
  if (!BcdDigits(c.params.first(5), regNumber) || AllZero(regNumber))
    return R::Error(rc::kBadRegNumber);
  if (!BcdDigits(c.params.subspan(5, 6), inn) || AllZero(inn)) return R::Error(rc::kBadInn);
  if (!BcdDigits(c.params.subspan(11, 4), password)) return R::Error(rc::kBadPassword);
  if (s.fm.registrations.size() >= static_cast<size_t>(kMaxRegistrations))
    return R::Error(rc::kTooManyRegistrations);

  const DateTime now = reg.Now();
  RegistrationRecord record{PackDate(now.year, now.month, now.day), regNumber, inn,
                            s.lastClosedShift};
  const size_t number = s.fm.registrations.size();
  s.fm.registrations.push_back(record);
  s.fiscalized = true;
  // The registers read the fiscal identity from the counters.
  s.counters.inn = std::stoull(inn);
  s.counters.registrationNumber = std::stoull(regNumber);
  s.counters.fiscalisationDate = now.year * 10000 + now.month * 100 + now.day;
  s.counters.fiscalisationShift = s.lastClosedShift + 1;
  s.counters.reregistrations = static_cast<int>(number);
  if (number > 0) s.counters.sinceReregistration = {};
  s.fiscalMemoryPassword = password;
  ++s.documentNumber;
  reg.Print(
      CentredLine(number == 0 ? "ФИСКАЛИЗАЦИЯ" : "ПЕРЕРЕГИСТРАЦИЯ " + std::to_string(number)));
  reg.Print(TapeLine("ДОК. " + Padded(s.documentNumber, 4), DateTimeText(now)));
  reg.Print(TapeLine("ЗАВ.N", s.factoryNumber));
  reg.Print(TapeLine("РНМ", regNumber));
  reg.Print(TapeLine("ИНН", inn));
  reg.Print(TapeLine("ПОСЛЕ СМЕНЫ", Padded(s.lastClosedShift, 4)));
  reg.Print(TapeLine("ОСТАЛОСЬ ПЕРЕРЕГИСТРАЦИЙ",
                     std::to_string(kMaxRegistrations - s.fm.registrations.size())));
  reg.Print(std::string(kTapeWidth, '-'));
  return R::Ok();
}

// First date, last date (3 BCD bytes each: day, month, year), first shift, last shift
// (2 BCD bytes each).
Reply Ranges(VirtualRegister& reg, const Command&) {
  const RegisterState& s = reg.state();
  if (!s.fiscalized) return R::Error(rc::kNotFiscalized);
  if (s.fm.shifts.empty()) return R::Error(rc::kNoReports);
  const ShiftRecord& first = s.fm.shifts.front();
  const ShiftRecord& last = s.fm.shifts.back();
  std::vector<uint8_t> data;
  PutDate(data, first.date);
  PutDate(data, last.date);
  for (int shift : {first.shift, last.shift}) {
    std::vector<uint8_t> bcd = NumberToBcd(static_cast<uint64_t>(shift % 10000), 4);
    data.insert(data.end(), bcd.begin(), bcd.end());
  }
  return R::Ok(std::move(data));
}

// The type byte of both reports: 1 full, 0 short.
bool ReadFull(uint8_t type, bool& full) {
  full = type == 1;
  return type <= 1;
}

Reply ReportByDates(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  if (!s.fiscalized) return R::Error(rc::kNotFiscalized);
  bool full = false;
  if (!ReadFull(c.params[0], full)) return R::Error(rc::kBadReportType);
  const int first = ReadDate(c.params.subspan(1, 3));
  const int last = ReadDate(c.params.subspan(4, 3));
  if (first == 0 || last == 0 || first > last) return R::Error(rc::kBadDate);
  std::vector<ShiftRecord> records = s.fm.ByDates(first, last);
  if (records.empty()) return R::Error(rc::kNoReports);
  const std::string period = TapeLine("С " + FmDateText(first), "ПО " + FmDateText(last));
  reg.StartReport(FiscalReportLines(s.fm, records, full, period, s.factoryNumber), c.now);
  return R::Ok();
}

Reply ReportByShifts(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  if (!s.fiscalized) return R::Error(rc::kNotFiscalized);
  bool full = false;
  if (!ReadFull(c.params[0], full)) return R::Error(rc::kBadReportType);
  const int first = ReadShift(c.params.subspan(1, 2));
  const int last = ReadShift(c.params.subspan(3, 2));
  if (first <= 0 || last <= 0 || first > last) return R::Error(rc::kBadShift);
  std::vector<ShiftRecord> records = s.fm.ByShifts(first, last);
  if (records.empty()) return R::Error(rc::kNoReports);
  const std::string period =
      TapeLine("СО СМЕНЫ " + Padded(first, 4), "ПО СМЕНУ " + Padded(last, 4));
  reg.StartReport(FiscalReportLines(s.fm, records, full, period, s.factoryNumber), c.now);
  return R::Ok();
}

}  // namespace

void RegisterFiscalCommands(CommandTable& table) {
  const uint16_t fiscal = Modes({5});
  table.Add({0x61, "factory number", 4, fiscal, true, FactoryNumber});
  table.Add({0x62, "fiscalisation", 15, fiscal, true, Fiscalize});
  table.Add({0x63, "fiscal-memory ranges", 0, fiscal, false, Ranges});
  table.Add({0x65, "fiscal report by dates", 7, fiscal, true, ReportByDates});
  table.Add({0x66, "fiscal report by shifts", 5, fiscal, true, ReportByShifts});
}

}  // namespace ptk::emu
