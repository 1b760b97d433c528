#include "emulator/fiscal_memory.h"

#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

void Requisites(const FiscalMemory& fm, const std::string& factoryNumber,
                std::vector<std::string>& out) {
  out.push_back(TapeLine("ЗАВ.N", factoryNumber));
  if (fm.registrations.empty()) return;
  const RegistrationRecord& r = fm.registrations.back();
  out.push_back(TapeLine("РНМ", r.regNumber));
  out.push_back(TapeLine("ИНН", r.inn));
}

}  // namespace

int PackDate(int year, int month, int day) {
  return year * 10000 + month * 100 + day;
}
int DateYear(int date) {
  return date / 10000;
}
int DateMonth(int date) {
  return date / 100 % 100;
}
int DateDay(int date) {
  return date % 100;
}

std::string FmDateText(int date) {
  return Padded(DateDay(date), 2) + "." + Padded(DateMonth(date), 2) + "." +
         Padded(DateYear(date) % 100, 2);
}

int64_t ShiftRecord::Takings() const {
  return totals[0] - totals[1] - totals[2] - totals[3] + totals[4] + totals[5];
}

std::vector<ShiftRecord> FiscalMemory::ByDates(int firstDate, int lastDate) const {
  std::vector<ShiftRecord> out;
  for (const ShiftRecord& r : shifts)
    if (r.date >= firstDate && r.date <= lastDate) out.push_back(r);
  return out;
}

std::vector<ShiftRecord> FiscalMemory::ByShifts(int first, int last) const {
  std::vector<ShiftRecord> out;
  for (const ShiftRecord& r : shifts)
    if (r.shift >= first && r.shift <= last) out.push_back(r);
  return out;
}

std::vector<std::string> FiscalReportLines(const FiscalMemory& fm,
                                           const std::vector<ShiftRecord>& records, bool full,
                                           const std::string& period,
                                           const std::string& factoryNumber) {
  std::vector<std::string> out;
  out.push_back(CentredLine("ФИСКАЛЬНЫЙ ОТЧЕТ"));
  out.push_back(CentredLine(full ? "ПОЛНЫЙ" : "СОКРАЩЕННЫЙ"));
  out.push_back(period);
  Requisites(fm, factoryNumber, out);
  out.push_back(Dashes());
  std::array<int64_t, kFmReceiptTypes> sum{};
  int64_t takings = 0;
  for (const ShiftRecord& r : records) {
    for (int t = 0; t < kFmReceiptTypes; ++t) sum[t] += r.totals[t];
    takings += r.Takings();
    if (!full) continue;
    out.push_back(TapeLine("СМЕНА " + Padded(r.shift, 4), FmDateText(r.date)));
    TotalsLines(r.totals, "  ", out);
    out.push_back(TapeLine("  СМЕННЫЙ ИТОГ", "=" + MoneyText(r.Takings())));
  }
  if (full) out.push_back(Dashes());
  out.push_back(TapeLine("ИТОГО ЗА ПЕРИОД", "СМЕН " + std::to_string(records.size())));
  TotalsLines(sum, "", out);
  out.push_back(TapeLine("ИТОГ", "=" + MoneyText(takings)));
  out.push_back(Dashes());
  return out;
}

std::vector<std::string> EmergencyReportLines(const FiscalMemory& fm,
                                              const std::string& factoryNumber) {
  std::vector<std::string> out;
  out.push_back(CentredLine("АВАРИЙНЫЙ ОТЧЕТ ПО ФП"));
  out.push_back(TapeLine("ЗАВ.N", factoryNumber));
  out.push_back(Dashes());
  for (size_t i = 0; i < fm.registrations.size(); ++i) {
    const RegistrationRecord& r = fm.registrations[i];
    out.push_back(TapeLine(i == 0 ? "ФИСКАЛИЗАЦИЯ" : "ПЕРЕРЕГИСТРАЦИЯ " + std::to_string(i),
                           FmDateText(r.date)));
    out.push_back(TapeLine("  РНМ " + r.regNumber, "ИНН " + r.inn));
    out.push_back(TapeLine("  ПОСЛЕ СМЕНЫ", Padded(r.afterShift, 4)));
  }
  out.push_back(Dashes());
  for (const ShiftRecord& r : fm.shifts) {
    out.push_back(TapeLine("СМЕНА " + Padded(r.shift, 4) + " " + FmDateText(r.date),
                           "=" + MoneyText(r.Takings())));
  }
  out.push_back(TapeLine("ЗАПИСЕЙ СМЕН", std::to_string(fm.shifts.size())));
  out.push_back(TapeLine("СВОБОДНО", std::to_string(kFiscalMemoryCapacity - fm.shifts.size())));
  out.push_back(Dashes());
  return out;
}

// One line per receipt type with a sum; "НЕТ ОБОРОТОВ" when there is none.
void TotalsLines(const std::array<int64_t, kFmReceiptTypes>& totals, const std::string& indent,
                 std::vector<std::string>& out) {
  bool any = false;
  for (int t = 0; t < kFmReceiptTypes; ++t) {
    if (totals[t] == 0) continue;
    any = true;
    out.push_back(TapeLine(indent + std::string(ReceiptTypeName(static_cast<uint8_t>(t + 1))),
                           "=" + MoneyText(totals[t])));
  }
  if (!any) out.push_back(indent + "НЕТ ОБОРОТОВ");
}

}  // namespace ptk::emu
