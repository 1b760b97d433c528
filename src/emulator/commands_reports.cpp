// Reports from the shift's counters: the X reports (0x67: daily, by sections, by cashiers,
// by hours) in mode 2, the Z report (0x5A) and the general clearing (0x77) in mode 3, and
// the emergency fiscal-memory report (0x60). Each answers at once and then prints in the
// printing submode of its mode (Z and X 0x23 and 0x22, general clearing 0x63); the
// emergency report takes the register into the fiscal-memory mode (0x25, then 0x05).
//
// The Z report closes the shift: the fiscal memory of a fiscalised register gets a record
// (date, shift number, totals by receipt type), an ЭКЛЗ with its archive open the shift's
// closing with its КПК (D8 or 20 when it cannot take it), and the shift's counters are
// cleared. A Z report without an open shift is refused with 8F; the general clearing
// needs the shift closed (C9) and something to clear (8F).
#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;
using Lines = std::vector<std::string>;

constexpr uint8_t kModeFiscalMemory = 5;

// Title, document number and time, user and shift, factory number.
Lines Heading(VirtualRegister& reg, std::string_view title) {
  RegisterState& s = reg.state();
  ++s.documentNumber;
  // The receipt header (table 6) first, as on a receipt.
  PrintReceiptHeader(reg);
  Lines out;
  out.push_back(CentredLine(title));
  out.push_back(TapeLine("ДОК. " + Padded(s.documentNumber, 4), DateTimeText(reg.Now())));
  const int shift = s.lastClosedShift + (s.shiftOpen ? 1 : 0);
  out.push_back(TapeLine("КАССИР " + Padded(s.cashier, 2), "СМЕНА " + Padded(shift, 4)));
  out.push_back(TapeLine("ЗАВ.N", s.factoryNumber));
  out.push_back(Dashes());
  return out;
}

void MoneyLine(Lines& out, const std::string& label, int64_t kopecks) {
  out.push_back(TapeLine(label, "=" + MoneyText(kopecks)));
}

// The daily totals: every receipt type with its receipts, registrations, stornos,
// discounts and surcharges, the payments, cash in and out, the drawer and the shift total.
void DailyBody(const RegisterState& s, Lines& out) {
  const ShiftCounters& c = s.shift;
  for (int t = 0; t < kReceiptTypes; ++t) {
    out.push_back(TapeLine(std::string(ReceiptTypeName(static_cast<uint8_t>(t + 1))),
                           "ЧЕКОВ " + Padded(c.receipts[t], 4)));
    MoneyLine(out, "  ИТОГ", c.totals[t]);
    if (c.registrationCount[t] > 0)
      MoneyLine(out, "  РЕГИСТРАЦИЙ " + std::to_string(c.registrationCount[t]), c.registrations[t]);
    if (c.stornoCount[t] > 0)
      MoneyLine(out, "  СТОРНО " + std::to_string(c.stornoCount[t]), c.stornos[t]);
    if (c.discounts[t] > 0) MoneyLine(out, "  СКИДКИ", c.discounts[t]);
    if (c.surcharges[t] > 0) MoneyLine(out, "  НАДБАВКИ", c.surcharges[t]);
    for (int k = 0; k < kPaymentTypes; ++k)
      if (c.payments[t][k] != 0) MoneyLine(out, "  " + PaymentName(k + 1), c.payments[t][k]);
  }
  out.push_back(Dashes());
  MoneyLine(out, "ВНЕСЕНИЙ " + std::to_string(c.cashInCount), c.cashIns);
  MoneyLine(out, "ВЫПЛАТ " + std::to_string(c.cashOutCount), c.cashOuts);
  MoneyLine(out, "АННУЛИРОВАНО ЧЕКОВ " + std::to_string(c.annulledReceipts), c.annulledSum);
  MoneyLine(out, "НАЛИЧНЫХ В КАССЕ", s.cashInDrawer);
  MoneyLine(out, "СМЕННЫЙ ИТОГ", ShiftSalesTotal(c));
}

void SectionsBody(const ShiftCounters& c, Lines& out) {
  bool any = false;
  for (int i = 0; i < kSections; ++i) {
    bool heading = false;
    for (int t = 0; t < kReceiptTypes; ++t) {
      if (c.sections[t][i] == 0) continue;
      if (!heading) out.push_back("СЕКЦИЯ " + Padded(i + 1, 2));
      heading = any = true;
      MoneyLine(out, "  " + std::string(ReceiptTypeName(static_cast<uint8_t>(t + 1))),
                c.sections[t][i]);
    }
  }
  if (!any) out.push_back("НЕТ ОБОРОТОВ");
}

// One line per user or hour with receipts: the label, the receipt count, the takings.
template <size_t N>
void CountsBody(const std::array<int, N>& receipts, const std::array<int64_t, N>& sums,
                std::string (*label)(size_t), Lines& out) {
  bool any = false;
  for (size_t i = 0; i < N; ++i) {
    if (receipts[i] == 0) continue;
    any = true;
    out.push_back(
        TapeLine(label(i) + "  ЧЕКОВ " + std::to_string(receipts[i]), "=" + MoneyText(sums[i])));
  }
  if (!any) out.push_back("НЕТ ОБОРОТОВ");
}

std::string CashierLabel(size_t i) {
  return "КАССИР " + Padded(static_cast<int64_t>(i) + 1, 2);
}

std::string HourLabel(size_t i) {
  return Padded(static_cast<int64_t>(i), 2) + ":00-" + Padded(static_cast<int64_t>(i + 1) % 24, 2) +
         ":00";
}

// Type 1 daily, 2 by sections, 3 by cashiers, 5 by hours; anything else A3.
Reply XReport(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  const uint8_t type = c.params[0];
  Lines out;
  switch (type) {
    case 1:
      out = Heading(reg, "СУТОЧНЫЙ ОТЧЕТ БЕЗ ГАШЕНИЯ");
      DailyBody(s, out);
      break;
    case 2:
      out = Heading(reg, "ОТЧЕТ ПО СЕКЦИЯМ");
      SectionsBody(s.shift, out);
      break;
    case 3:
      out = Heading(reg, "ОТЧЕТ ПО КАССИРАМ");
      CountsBody(s.shift.cashierReceipts, s.shift.cashierSums, CashierLabel, out);
      break;
    case 5:
      out = Heading(reg, "ПОЧАСОВОЙ ОТЧЕТ");
      CountsBody(s.shift.hourReceipts, s.shift.hourSums, HourLabel, out);
      break;
    default:
      return R::Error(rc::kBadReportType);
  }
  out.push_back(Dashes());
  reg.StartReport(std::move(out), c.now);
  return R::Ok();
}

Reply ZReport(VirtualRegister& reg, const Command& c) {
  RegisterState& s = reg.state();
  if (s.receiptState != 0) return R::Error(rc::kReceiptOpen);
  if (!s.shiftOpen) return R::Error(rc::kAlreadyCleared);
  if (s.fiscalized && s.fm.Full()) return R::Error(rc::kFiscalMemoryFull);
  if (uint8_t refusal = EklzRefusal(reg, true)) return R::Error(refusal);

  Lines out = Heading(reg, "СУТОЧНЫЙ ОТЧЕТ С ГАШЕНИЕМ");
  DailyBody(s, out);
  const DateTime now = reg.Now();
  ShiftRecord record;
  record.shift = s.lastClosedShift + 1;
  record.date = PackDate(now.year, now.month, now.day);
  record.totals = s.shift.totals;
  out.push_back(Dashes());
  out.push_back(TapeLine("СМЕНА " + Padded(record.shift, 4) + " ЗАКРЫТА", DateTimeText(now)));
  if (s.fiscalized) {
    s.fm.shifts.push_back(record);
    out.push_back(
        TapeLine("ЗАПИСЬ В ФП", "N " + Padded(static_cast<int64_t>(s.fm.shifts.size()), 4)));
  }
  EklzWriteShiftClose(reg, record.shift, s.shift.totals, out);
  out.push_back(Dashes());
  // The non-resettable totals count the shift before its counters are cleared.
  CountShiftClosed(s, ToSeconds(now));
  s.lastShiftTotal = ShiftSalesTotal(s.shift);
  s.lastClosedShift = record.shift;
  s.shiftOpen = false;
  s.shiftOpenedAt = 0;
  s.shift = ShiftCounters{};
  s.generalClearingDone = false;
  reg.StartReport(std::move(out), c.now);
  return R::Ok();
}

// Clears what outlives the shifts: the cash in the drawer, the receipt numbering and the
// last shift's total.
Reply GeneralClearing(VirtualRegister& reg, const Command& c) {
  RegisterState& s = reg.state();
  if (s.receiptState != 0) return R::Error(rc::kReceiptOpen);
  if (s.shiftOpen) return R::Error(rc::kClearingNeeded);
  if (s.generalClearingDone) return R::Error(rc::kAlreadyCleared);
  Lines out = Heading(reg, "ОБЩЕЕ ГАШЕНИЕ");
  MoneyLine(out, "НАЛИЧНЫХ В КАССЕ БЫЛО", s.cashInDrawer);
  out.push_back(TapeLine("ЧЕКОВ ВЫДАНО", std::to_string(s.receiptNumber)));
  out.push_back("РЕГИСТРЫ ОБНУЛЕНЫ");
  out.push_back(Dashes());
  s.cashInDrawer = 0;
  s.receiptNumber = 0;
  s.lastShiftTotal = 0;
  s.generalClearingDone = true;
  reg.StartReport(std::move(out), c.now, kGeneralClearingSubmode);
  return R::Ok();
}

// From the choice or the fiscal-memory mode; prints in 0x25 and rests in 0x05.
Reply EmergencyReport(VirtualRegister& reg, const Command& c) {
  RegisterState& s = reg.state();
  if (!s.fiscalized) return R::Error(rc::kNotFiscalized);
  s.mode = kModeFiscalMemory;
  reg.StartReport(EmergencyReportLines(s.fm, s.factoryNumber), c.now);
  return R::Ok();
}

}  // namespace

void RegisterReportCommands(CommandTable& table) {
  table.Add({0x67, "X report", 1, Modes({2}), true, XReport});
  table.Add({0x5A, "Z report", 0, Modes({3}), true, ZReport});
  table.Add({0x77, "general clearing", 0, Modes({3}), true, GeneralClearing});
  table.Add({0x60, "emergency report", 0, Modes({0, 5}), true, EmergencyReport});
}

}  // namespace ptk::emu
