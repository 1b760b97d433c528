// Cash outside receipts: cash in (0x49) and cash out (0x4F), each a document of its own
// with its amount on the tape, and the two drawer-sum queries: the cash in the drawer
// (0x4D) and the total of the last shift (0x58).
//
// The drawer sums are answered in seven packed-BCD bytes: six of whole units (twelve
// digits) and one of hundredths. The cash-in-drawer answer carries no result code: the
// amount follows the marker. A refusal is the usual short answer (marker, code, 0).
#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;

constexpr int kDrawerSumDigits = 14;  // twelve of whole units, two of hundredths
constexpr int64_t kMaxDrawerSum = 99'999'999'999'999;
constexpr uint8_t kCmdCashIn = 0x49;

// Mode byte and amount (five BCD bytes). Cash in and out are documents of their own: not
// inside a receipt, and like a receipt they open a closed shift and are refused in a
// shift older than 24 hours. Cash out takes no more than the drawer holds.
Reply CashInOut(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  RegisterState& s = reg.state();
  int64_t amount = 0;
  if (!BcdValue(c.params.subspan(1, 5), amount) || amount == 0) return R::Error(rc::kBadPrice);
  if (s.receiptState != 0) return R::Error(rc::kReceiptOpen);
  const DateTime now = reg.Now();
  if (s.shiftOpen && s.shiftOpenedAt != 0 && ToSeconds(now) - s.shiftOpenedAt > kShiftLimitSeconds)
    return R::Error(rc::kShiftOver24Hours);
  const bool in = c.code == kCmdCashIn;
  if (in && s.cashInDrawer + amount > kMaxDrawerSum) return R::Error(rc::kCounterOverflow);
  if (!in && amount > s.cashInDrawer) return R::Error(rc::kNoCashToPayOut);
  if (checkOnly) return R::Ok();

  if (!s.shiftOpen) OpenShiftNow(reg, "");
  if (in) {
    s.cashInDrawer += amount;
    s.shift.cashIns += amount;
    ++s.shift.cashInCount;
  } else {
    s.cashInDrawer -= amount;
    s.shift.cashOuts += amount;
    ++s.shift.cashOutCount;
  }
  ++s.documentNumber;
  reg.Print(TapeLine(in ? "ВНЕСЕНИЕ" : "ВЫПЛАТА", "ДОК. " + Padded(s.documentNumber, 4)));
  reg.Print(TapeLine("КАССИР " + Padded(s.cashier, 2), DateTimeText(now)));
  reg.Print(TapeLine("СУММА", "=" + MoneyText(amount)));
  reg.Print(TapeLine("В ЯЩИКЕ", "=" + MoneyText(s.cashInDrawer)));
  reg.Print(std::string(kTapeWidth, '-'));
  return R::Ok();
}

// The marker, then the amount: no result code.
Reply CashInDrawer(VirtualRegister& reg, const Command&) {
  Reply reply;
  reply.payload.push_back(kAnswerMarker);
  for (uint8_t b : NumberToBcd(static_cast<uint64_t>(reg.state().cashInDrawer), kDrawerSumDigits))
    reply.payload.push_back(b);
  return reply;
}

// The total of the shift in progress, or of the last one a Z report closed while none is
// open.
Reply LastShiftTotal(VirtualRegister& reg, const Command&) {
  const RegisterState& s = reg.state();
  const int64_t total = s.shiftOpen ? ShiftSalesTotal(s.shift) : s.lastShiftTotal;
  return R::Ok(NumberToBcd(static_cast<uint64_t>(total > 0 ? total : 0), kDrawerSumDigits));
}

}  // namespace

void RegisterCashCommands(CommandTable& table) {
  const uint16_t registration = Modes({1});
  table.Add({0x49, "cash in", 6, registration, true, CashInOut});
  table.Add({0x4F, "cash out", 6, registration, true, CashInOut});
  table.Add({.code = 0x4D,
             .name = "cash in drawer",
             .handler = CashInDrawer,
             .answer = AnswerShape::Fixed});
  table.Add({0x58, "last shift total", 0, kAnyMode, false, LastShiftTotal});
}

}  // namespace ptk::emu
