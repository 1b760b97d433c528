// The register read (0x91): register number 1..28, parameter 1 (receipt type 1..6 for
// registers 1, 2, 3, 6 and 7; total type 0 sales or 1 purchases for 12, 13 and 14),
// parameter 2 (payment type 1..4 for register 3). Taken in every mode.
//
// Every value comes from what happened: the shift's counters (closed receipts, cash in and
// out), the open receipt, the drawer, the clock and the fiscal counters. Money is packed
// BCD of whole roubles and one byte of kopecks; counts are packed BCD; dates are day,
// month, year (two digits each) and times hours, minutes, seconds, one BCD byte each.
//
// Refusals: a register outside 1..28 6C, a receipt type outside 1..6 6A, a payment type
// outside 1..4 7E, a total type other than 0 or 1 13, fewer than three parameters 14.
#include "emulator/receipt_book.h"
#include "emulator/register_counters.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kBadRegister = 0x6C;

void Put(Bytes& out, const Bytes& bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

uint64_t NonNegative(int64_t v) {
  return v < 0 ? 0 : static_cast<uint64_t>(v);
}

// Whole roubles in `rubleBytes` BCD bytes, then a byte of kopecks; a value too long for
// the field keeps its lowest digits.
Bytes Money(int64_t kopecks, int rubleBytes) {
  return NumberToBcd(NonNegative(kopecks), (rubleBytes + 1) * 2);
}

Bytes Count(int64_t value, int bytes) {
  return NumberToBcd(NonNegative(value), bytes * 2);
}

Bytes DateBytes(const DateTime& t) {
  return {ToBcd(t.day), ToBcd(t.month), ToBcd(t.year % 100)};
}

Bytes TimeBytes(const DateTime& t) {
  return {ToBcd(t.hour), ToBcd(t.minute), ToBcd(t.second)};
}

// A yyyymmdd date; zeros for none.
Bytes DateBytes(int64_t yyyymmdd) {
  if (yyyymmdd == 0) return {0, 0, 0};
  DateTime t;
  t.year = static_cast<int>(yyyymmdd / 10000);
  t.month = static_cast<int>(yyyymmdd / 100 % 100);
  t.day = static_cast<int>(yyyymmdd % 100);
  return DateBytes(t);
}

// Money in by receipts less money out by receipts: sales, purchase returns and purchase
// annulments bring it in; sale returns, sale annulments and purchases pay it out.
int64_t Revenue(const ShiftCounters& shift) {
  int64_t revenue = 0;
  for (int t = 0; t < kReceiptTypes; ++t)
    revenue += PaysOut(static_cast<uint8_t>(t + 1)) ? -shift.totals[t] : shift.totals[t];
  return revenue;
}

// The totals kept in the fiscal memory plus the shift in progress, which is not there yet.
int64_t WithOpenShift(const RegisterState& s, int64_t kept, int totalType) {
  return kept + (s.shiftOpen ? ShiftTotalOfType(s, totalType) : 0);
}

Reply ReadRegister(VirtualRegister& reg, const Command& c) {
  const RegisterState& s = reg.state();
  const ShiftCounters& shift = s.shift;
  const RegisterCounters& k = s.counters;
  const int number = c.params[0];
  const int p1 = c.params[1], p2 = c.params[2];
  const int type = p1 - 1;
  const bool byReceiptType =
      number == 1 || number == 2 || number == 3 || number == 6 || number == 7;
  if (number < 1 || number > 28) return R::Error(kBadRegister);
  if (byReceiptType && (p1 < 1 || p1 > kReceiptTypes)) return R::Error(rc::kBadReceiptType);
  if (number == 3 && (p2 < 1 || p2 > kPaymentTypes)) return R::Error(rc::kBadPaymentType);
  if (number >= 12 && number <= 14 && p1 >= kTotalTypes) return R::Error(rc::kBadFormat);

  const DateTime now = reg.Now();
  Bytes d;
  switch (number) {
    case 1:
      d = Money(shift.registrations[type], 5);
      break;
    case 2:
      d = Money(shift.stornos[type], 5);
      break;
    case 3:
      d = Money(shift.payments[type][p2 - 1], 5);
      break;
    case 4:
      d = Money(shift.cashIns, 5);
      break;
    case 5:
      d = Money(shift.cashOuts, 5);
      break;
    case 6:
      d = Count(shift.registrationCount[type], 2);
      break;
    case 7:
      d = Count(shift.stornoCount[type], 2);
      break;
    case 8:
      d = Count(shift.cashInCount, 2);
      break;
    case 9:
      d = Count(shift.cashOutCount, 2);
      break;
    case 10:
      d = Money(s.cashInDrawer, 6);
      break;
    case 11: {
      const int64_t revenue = Revenue(shift);
      d = {static_cast<uint8_t>(revenue < 0 ? 0x01 : 0x00)};
      Put(d, Money(revenue < 0 ? -revenue : revenue, 5));
      break;
    }
    case 12:
      d = Money(ShiftTotalOfType(s, p1), 6);
      break;
    case 13:
      d = Money(WithOpenShift(s, k.nonResettable[p1], p1), 6);
      break;
    case 14:
      d = Money(WithOpenShift(s, k.sinceReregistration[p1], p1), 6);
      break;
    case 15:
      d = Count(kMaxReregistrations - k.reregistrations, 1);
      break;
    case 16:
      d = Count(kFiscalMemoryShiftRecords - s.lastClosedShift, 2);
      break;
    case 17:
      d = DateBytes(now);
      Put(d, TimeBytes(now));
      break;
    case 18: {
      d = {static_cast<uint8_t>(s.shiftOpen ? 1 : 0)};
      if (k.shiftClosedAt == 0) {
        Put(d, Bytes(6, 0x00));
      } else {
        const DateTime closed = FromSeconds(k.shiftClosedAt);
        Put(d, DateBytes(closed));
        Put(d, TimeBytes(closed));
      }
      break;
    }
    case 19:
      d = {s.ModeByte(), s.receiptState};
      Put(d, Count(s.receiptNumber, 2));
      Put(d, Count(s.documentNumber, 4));
      break;
    case 20: {
      // The open receipt: its sum, what is still to pay, the change so far.
      const int64_t paid = Paid(s.receipt);
      d = Money(s.receiptSum, 4);
      Put(d, Money(paid < s.receiptSum ? s.receiptSum - paid : 0, 4));
      Put(d, Money(paid > s.receiptSum ? paid - s.receiptSum : 0, 4));
      break;
    }
    case 21:
      d = Count(s.lastClosedShift, 2);
      break;
    case 22: {
      int64_t factory = 0;
      for (char ch : s.factoryNumber)
        if (ch >= '0' && ch <= '9') factory = factory * 10 + (ch - '0');
      d = Count(factory, 4);
      break;
    }
    case 23:
      break;  // reserved: no data
    case 24:
      d = Count(static_cast<int64_t>(kTapeWidth), 1);
      Put(d, Count(kGraphicLineDots, 2));
      break;
    case 25:
      d = Count(kMaxCommandBytes, 2);
      break;
    case 26:
      d = Count(k.eklzActivations, 1);
      Put(d, Count(kMaxEklzActivations - k.eklzActivations, 1));
      break;
    case 27:
      d = NumberToBcd(k.inn, 12);
      Put(d, NumberToBcd(k.registrationNumber, 10));
      Put(d, Count(k.fiscalisationShift, 2));
      Put(d, DateBytes(k.fiscalisationDate));
      break;
    case 28:
      d = NumberToBcd(k.eklzNumber, 10);
      Put(d, DateBytes(k.eklzActivationDate));
      Put(d, Count(k.eklzActivationShift, 2));
      break;
    default:
      break;
  }
  return R::Ok(std::move(d));
}

}  // namespace

int64_t ShiftTotalOfType(const RegisterState& s, int totalType) {
  const int first = totalType == 0 ? 0 : 3;  // sale or purchase, then its return, annulment
  const std::array<int64_t, kReceiptTypes>& totals = s.shift.totals;
  const int64_t total = totals[first] - totals[first + 1] - totals[first + 2];
  return total > 0 ? total : 0;
}

void CountShiftClosed(RegisterState& s, int64_t closedAt) {
  for (int t = 0; t < kTotalTypes; ++t) {
    const int64_t total = ShiftTotalOfType(s, t);
    s.counters.nonResettable[t] += total;
    s.counters.sinceReregistration[t] += total;
  }
  s.counters.shiftClosedAt = closedAt;
}

void RegisterRegisterCommands(CommandTable& table) {
  table.Add({0x91, "read register", 3, kAnyMode, false, ReadRegister});
}

}  // namespace ptk::emu
