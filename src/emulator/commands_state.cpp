// State queries: the device state (0x3F), the state code (0x45), the device type (0xA5)
// and the version per processor (0x9D).
#include <algorithm>

#include "core/link/encoding.h"
#include "emulator/virtual_register.h"

namespace ptk::emu {

namespace {

// Status flag bits of the device state.
constexpr uint8_t kFlagFiscalized = 0x01;
constexpr uint8_t kFlagShiftOpen = 0x02;
constexpr uint8_t kFlagDrawerOpen = 0x04;
constexpr uint8_t kFlagCoverOpen = 0x20;
constexpr uint8_t kFlagBatteryLow = 0x80;

void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

uint64_t DigitsValue(const std::string& digits) {
  uint64_t v = 0;
  for (char c : digits) {
    if (c >= '0' && c <= '9') v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  return v;
}

// 30 bytes: 'D', cashier, hall number, year, month, day, hours, minutes, seconds, flags,
// factory number (4 BCD), model, version (LE), mode byte, receipt number (2 BCD), last
// closed shift (2 BCD), receipt state, receipt sum (5 BCD: 8 digits roubles, 2 kopecks),
// decimal point, port.
Reply DeviceState(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  DateTime now = reg.Now();
  std::vector<uint8_t> p;
  p.reserve(30);
  p.push_back(kStateAnswerMarker);
  p.push_back(ToBcd(s.cashier));
  std::vector<uint8_t> hall = s.tables.Get(kHallNumberField);
  p.push_back(hall.empty() ? 0 : hall[0]);
  p.push_back(ToBcd(now.year % 100));
  p.push_back(ToBcd(now.month));
  p.push_back(ToBcd(now.day));
  p.push_back(ToBcd(now.hour));
  p.push_back(ToBcd(now.minute));
  p.push_back(ToBcd(now.second));
  uint8_t flags = 0;
  if (s.fiscalized) flags |= kFlagFiscalized;
  if (s.shiftOpen) flags |= kFlagShiftOpen;
  if (reg.DrawerOpen(c.now)) flags |= kFlagDrawerOpen;
  if (reg.PrinterFlags() & kPrinterCoverOpen) flags |= kFlagCoverOpen;
  if (s.batteryLow) flags |= kFlagBatteryLow;
  p.push_back(flags);
  Append(p, NumberToBcd(DigitsValue(s.factoryNumber), 8));
  p.push_back(static_cast<uint8_t>(s.model & 0xFF));
  PutLe16(p, s.firmwareVersion);
  p.push_back(s.ModeByte());
  Append(p, NumberToBcd(static_cast<uint64_t>(s.receiptNumber % 10000), 4));
  Append(p, NumberToBcd(static_cast<uint64_t>(s.lastClosedShift % 10000), 4));
  p.push_back(s.receiptState);
  uint64_t sum = s.receiptSum < 0 ? 0 : static_cast<uint64_t>(s.receiptSum);
  Append(p, NumberToBcd(sum % 10000000000ull, 10));
  p.push_back(s.decimalPoint);
  p.push_back(s.portNumber);
  Reply reply;
  reply.payload = std::move(p);
  return reply;
}

// Marker, mode byte, printer flags (no paper, no printer link, cover open, no roll).
Reply StateCodeQuery(VirtualRegister& reg, const Command&) {
  Reply reply;
  reply.payload = {kAnswerMarker, reg.state().ModeByte(), reg.PrinterFlags()};
  return reply;
}

// Result code, five identification bytes (the first of them the protocol version, 2),
// model code (LE; the version the state window shows), language table, subversion (LE),
// the name in the register's characters.
// The payload stays below the 52 bytes after which a 55-byte read would cut it.
Reply DeviceType(VirtualRegister& reg, const Command&) {
  const RegisterState& s = reg.state();
  std::vector<uint8_t> p = {0x00, 0x02, 0x00, 0x01, 0x01, 0x00};
  PutLe16(p, s.model);
  p.push_back(s.languageTable);
  PutLe16(p, s.firmwareSubversion);
  std::vector<uint8_t> name = ToDeviceText(s.deviceName);
  if (name.size() > 40) name.resize(40);
  Append(p, name);
  Reply reply;
  reply.payload = std::move(p);
  return reply;
}

// Source 1: the processor with the register's firmware; 2: the fiscal-memory processor.
// Answer data: version (LE), language code, subversion (LE).
Reply Version(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  uint8_t source = c.params[0];
  if (source != 1 && source != 2) return VirtualRegister::Error(rc::kBadTarget);
  std::vector<uint8_t> data;
  PutLe16(data, source == 1 ? s.firmwareVersion : s.fmVersion);
  data.push_back(s.languageTable);
  PutLe16(data, source == 1 ? s.firmwareSubversion : s.fmSubversion);
  return VirtualRegister::Ok(std::move(data));
}

}  // namespace

void RegisterStateCommands(CommandTable& table) {
  // The queries are answered while a report prints.
  table.Add({.code = 0x3F,
             .name = "device state",
             .handler = DeviceState,
             .whilePrinting = true,
             .answer = AnswerShape::Fixed});
  table.Add({.code = 0x45,
             .name = "state code",
             .handler = StateCodeQuery,
             .whilePrinting = true,
             .answer = AnswerShape::Fixed});
  table.Add({.code = 0xA5,
             .name = "device type",
             .handler = DeviceType,
             .whilePrinting = true,
             .answer = AnswerShape::ResultFirst});
  table.Add(
      {.code = 0x9D, .name = "version", .minParams = 1, .handler = Version, .whilePrinting = true});
}

}  // namespace ptk::emu
