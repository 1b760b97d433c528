// One-shot service commands: beep, drawer, demonstration print, technological reset,
// table initialisation, receipt cancel, and setting the date and time.
#include <cstdio>

#include "core/link/encoding.h"
#include "emulator/receipt_book.h"
#include "emulator/virtual_register.h"

namespace ptk::emu {

namespace {

std::string TwoDigits(int v) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", v % 100);
  return text;
}

std::string DateText(const DateTime& t) {
  return TwoDigits(t.day) + "." + TwoDigits(t.month) + "." + TwoDigits(t.year % 100);
}

std::string TimeText(const DateTime& t) {
  return TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

// The beep is sent without an answer transfer: the register executes it and stays quiet.
Reply Beep(VirtualRegister& reg, const Command&) {
  ++reg.state().beeps;
  Reply reply;
  reply.noAnswer = true;
  return reply;
}

Reply OpenDrawer(VirtualRegister& reg, const Command& c) {
  reg.OpenDrawer(c.now);
  return VirtualRegister::Ok();
}

Reply DemoPrint(VirtualRegister& reg, const Command&) {
  DateTime now = reg.Now();
  reg.Print("    ДЕМОНСТРАЦИОННАЯ ПЕЧАТЬ");
  reg.Print("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
  reg.Print("абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
  reg.Print("0123456789 .,:;-/_!%*№#^&()+<>?=$@");
  reg.Print("ЗАВ.N " + reg.state().factoryNumber + "  " + DateText(now) + " " + TimeText(now));
  reg.Print("------------------------------------------");
  return VirtualRegister::Ok();
}

// Clears tables and registers back to their factory state; the clock, the identity
// (model, factory number, versions) and the fiscal memory survive.
Reply TechnologicalReset(VirtualRegister& reg, const Command&) {
  RegisterState& s = reg.state();
  RegisterState kept = s;
  reg.Reset();
  s.model = kept.model;
  s.clockOffset = kept.clockOffset;
  s.factoryNumber = kept.factoryNumber;
  s.fiscalized = kept.fiscalized;
  s.fiscalMemoryPassword = kept.fiscalMemoryPassword;
  s.lastClosedShift = kept.lastClosedShift;
  s.counters = kept.counters;
  s.fm = kept.fm;
  s.beeps = kept.beeps;
  s.drawerOpenings = kept.drawerOpenings;
  reg.Print("   ТЕХНОЛОГИЧЕСКОЕ ОБНУЛЕНИЕ");
  return VirtualRegister::Ok();
}

Reply InitTables(VirtualRegister& reg, const Command&) {
  RegisterState& s = reg.state();
  if (s.shiftOpen) return VirtualRegister::Error(rc::kShiftOpen);
  LoadDefaultTables(s.tables, s.model);
  reg.Print("     ИНИЦИАЛИЗАЦИЯ ТАБЛИЦ");
  return VirtualRegister::Ok();
}

Reply CancelReceipt(VirtualRegister& reg, const Command&) {
  if (reg.state().receiptState == 0) return VirtualRegister::Error(rc::kReceiptClosed);
  AnnulOpenReceipt(reg);
  return VirtualRegister::Ok();
}

// Day, month, year (two digits), one BCD byte each. A date other than the register's own
// is first answered 0x16 and taken when the same date comes again.
Reply SetDate(VirtualRegister& reg, const Command& c) {
  RegisterState& s = reg.state();
  uint8_t d = c.params[0], m = c.params[1], y = c.params[2];
  if (!IsBcd(d) || !IsBcd(m) || !IsBcd(y)) return VirtualRegister::Error(rc::kBadDate);
  int day = BcdToInt(d), month = BcdToInt(m), year = 2000 + BcdToInt(y);
  if (!ValidDate(year, month, day)) return VirtualRegister::Error(rc::kBadDate);
  if (s.shiftOpen) return VirtualRegister::Error(rc::kShiftOpen);
  DateTime now = reg.Now();
  int64_t wanted = year * 10000 + month * 100 + day;
  if (now.year == year && now.month == month && now.day == day) {
    s.pendingDate = 0;
    return VirtualRegister::Ok();
  }
  if (s.pendingDate != wanted) {
    s.pendingDate = wanted;
    return VirtualRegister::Error(rc::kNeedsDateConfirmation);
  }
  s.pendingDate = 0;
  DateTime t = now;
  t.year = year;
  t.month = month;
  t.day = day;
  reg.SetNow(t);
  return VirtualRegister::Ok();
}

// Hours, minutes, seconds, one BCD byte each.
Reply SetTime(VirtualRegister& reg, const Command& c) {
  uint8_t h = c.params[0], m = c.params[1], sec = c.params[2];
  if (!IsBcd(h) || !IsBcd(m) || !IsBcd(sec)) return VirtualRegister::Error(rc::kBadTime);
  int hour = BcdToInt(h), minute = BcdToInt(m), second = BcdToInt(sec);
  if (hour > 23 || minute > 59 || second > 59) return VirtualRegister::Error(rc::kBadTime);
  DateTime t = reg.Now();
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  reg.SetNow(t);
  return VirtualRegister::Ok();
}

}  // namespace

void RegisterServiceCommands(CommandTable& table) {
  table.Add({.code = 0x47, .name = "beep", .handler = Beep, .whilePrinting = true});
  table.Add({0x80, "open drawer", 0, kAnyMode, false, OpenDrawer});
  table.Add({0x82, "demonstration print", 0, kAnyMode, true, DemoPrint});
  table.Add({0x6B, "technological reset", 0, Modes({0}), true, TechnologicalReset});
  table.Add({0x71, "initialise tables", 0, Modes({0, 4}), true, InitTables});
  table.Add({0x59, "cancel receipt", 0, kAnyMode, true, CancelReceipt});
  table.Add({0x64, "set date", 3, kAnyMode, false, SetDate});
  table.Add({0x4B, "set time", 3, kAnyMode, false, SetTime});
}

}  // namespace ptk::emu
