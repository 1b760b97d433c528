// Receipts, second half: subtotal (0x53), payments by four types (0x99) and their storno
// (0x9B), closing with the amount handed over (0x4A), and the payment card's data (0xBF,
// which shares its code with the attribute print and is dispatched by commands_extras).
//
// Payments are taken from the first one on; registrations and discounts are then refused
// (the register is in its payment submode). Cards never give change: payments by types 2
// to 4 stay within the receipt's sum. Closing commits the receipt to the shift's counters
// and the drawer and the ЭКЛЗ (its КПК line), and prints its end.
#include "core/link/encoding.h"
#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;

constexpr uint8_t kPaymentSubmode = 4;

void AppendMoney(std::vector<uint8_t>& data, int64_t kopecks) {
  std::vector<uint8_t> bytes = MoneyBcd(kopecks);
  data.insert(data.end(), bytes.begin(), bytes.end());
}

int64_t Remainder(int64_t sum, int64_t paid) {
  return paid < sum ? sum - paid : 0;
}

int64_t Change(int64_t sum, int64_t paid) {
  return paid > sum ? paid - sum : 0;
}

// 20 data bytes: remainder, change, receipt sum, paid so far.
Reply PaymentAnswer(int64_t sum, const ReceiptState& r) {
  const int64_t paid = Paid(r);
  std::vector<uint8_t> data;
  for (int64_t v : {Remainder(sum, paid), Change(sum, paid), sum, paid}) AppendMoney(data, v);
  return R::Ok(std::move(data));
}

// Payment type (1..4) and amount (five BCD bytes) from params[1..6].
uint8_t ReadPayment(std::span<const uint8_t> p, int& type, int64_t& amount) {
  type = p[1];
  if (type < 1 || type > kPaymentTypes) return rc::kBadPaymentType;
  if (!BcdValue(p.subspan(2, 5), amount)) return rc::kBadPrice;
  return rc::kOk;
}

// What a payment and its storno check first: the mode byte, an open receipt, the payment
// type and a non-zero amount. rc::kOk, or the refusal's code.
uint8_t ReadPaymentCommand(const RegisterState& s, const Command& c, bool& checkOnly, int& type,
                           int64_t& amount) {
  if (!ReadModeByte(c.params[0], checkOnly)) return rc::kBadFormat;
  if (s.receiptState == 0) return rc::kReceiptClosed;
  if (uint8_t refusal = ReadPayment(c.params, type, amount)) return refusal;
  return amount == 0 ? rc::kBadPrice : rc::kOk;
}

// The card lines of a payment by card: its number (from the payment when it carries one)
// and the card data handed over before it.
void NoteCard(ReceiptState& r, const std::string& number) {
  const std::string card = number.empty() ? r.card[0] : number;
  if (!card.empty()) r.notes.push_back("  КАРТА " + card);
  if (!r.card[1].empty()) r.notes.push_back("  КОД АВТОРИЗАЦИИ " + r.card[1]);
  if (!r.card[2].empty()) r.notes.push_back("  N ССЫЛКИ " + r.card[2]);
  r.card = {};
}

void SetPaymentSubmode(RegisterState& s) {
  if (s.mode == 1) s.submode = Paid(s.receipt) > 0 ? kPaymentSubmode : 0;
}

Reply Subtotal(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  const RegisterState& s = reg.state();
  if (s.receiptState == 0) return R::Error(rc::kReceiptClosed);
  const int64_t paid = Paid(s.receipt);
  std::vector<uint8_t> data;
  for (int64_t v : {s.receiptSum, paid, Remainder(s.receiptSum, paid)}) AppendMoney(data, v);
  if (!checkOnly) reg.Print(TapeLine("ПОДИТОГ", "=" + MoneyText(s.receiptSum)));
  return R::Ok(std::move(data));
}

// Mode, type, amount (5), the card number in the register's characters (may be empty).
Reply Payment(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  int type = 0;
  int64_t amount = 0;
  RegisterState& s = reg.state();
  if (uint8_t refusal = ReadPaymentCommand(s, c, checkOnly, type, amount)) return R::Error(refusal);
  ReceiptState r = s.receipt;
  r.payments[type - 1] += amount;
  const int64_t paid = Paid(r);
  if (paid > kMaxMoney) return R::Error(rc::kPaymentsOverflow);
  if (paid - r.payments[0] > s.receiptSum) return R::Error(rc::kNonCashOverSum);
  if (checkOnly) return PaymentAnswer(s.receiptSum, r);

  if (type != 1) NoteCard(r, FromDeviceText(c.params.subspan(7)));
  r.lastCommand = 0x99;
  s.receipt = std::move(r);
  SetPaymentSubmode(s);
  return PaymentAnswer(s.receiptSum, s.receipt);
}

Reply PaymentStorno(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  int type = 0;
  int64_t amount = 0;
  RegisterState& s = reg.state();
  if (uint8_t refusal = ReadPaymentCommand(s, c, checkOnly, type, amount)) return R::Error(refusal);
  if (amount > s.receipt.payments[type - 1]) return R::Error(rc::kPaymentStornoOverPaid);
  ReceiptState r = s.receipt;
  r.payments[type - 1] -= amount;
  if (checkOnly) return PaymentAnswer(s.receiptSum, r);

  r.lastCommand = 0x9B;
  s.receipt = std::move(r);
  SetPaymentSubmode(s);
  reg.Print(TapeLine("СТОРНО ОПЛАТЫ " + PaymentName(type), "=" + MoneyText(amount)));
  return PaymentAnswer(s.receiptSum, s.receipt);
}

// Adds the closed receipt to the shift's counters and moves its cash; hour: of the closing.
void Commit(RegisterState& s, int64_t cash, int hour) {
  const int t = s.receiptState - 1;
  const ReceiptState& r = s.receipt;
  ShiftCounters& shift = s.shift;
  for (const ReceiptLine& line : r.lines) {
    if (line.code == 0x4E) {
      shift.stornos[t] += line.amount;
      ++shift.stornoCount[t];
    } else {
      shift.registrations[t] += line.amount;
      ++shift.registrationCount[t];
    }
  }
  for (int i = 0; i < kSections; ++i) shift.sections[t][i] += r.sections[i];
  shift.discounts[t] += r.discounts;
  shift.surcharges[t] += r.surcharges;
  ++shift.receipts[t];
  shift.totals[t] += s.receiptSum;
  for (int k = 0; k < kPaymentTypes; ++k) shift.payments[t][k] += k == 0 ? cash : r.payments[k];
  s.cashInDrawer += PaysOut(s.receiptState) ? -cash : cash;
  const int64_t takings = PaysOut(s.receiptState) ? -s.receiptSum : s.receiptSum;
  if (s.cashier >= 1 && s.cashier <= kUserRows) {
    ++shift.cashierReceipts[s.cashier - 1];
    shift.cashierSums[s.cashier - 1] += takings;
  }
  if (hour >= 0 && hour < kHours) {
    ++shift.hourReceipts[hour];
    shift.hourSums[hour] += takings;
  }
}

// Mode, type, the amount handed over (5). An amount of 0 pays exactly the remainder with
// this type. The amount with the payments taken before must cover the receipt: 0x86
// when it is the only payment, 0x72 when payments came before.
Reply CloseReceipt(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  RegisterState& s = reg.state();
  if (s.receiptState == 0) return R::Error(rc::kReceiptClosed);
  int type = 0;
  int64_t amount = 0;
  if (uint8_t refusal = ReadPayment(c.params, type, amount)) return R::Error(refusal);
  const int64_t sum = s.receiptSum;
  const int64_t paidBefore = Paid(s.receipt);
  const int64_t remainder = Remainder(sum, paidBefore);
  if (amount == 0) {
    amount = remainder;
  } else if (paidBefore + amount < sum) {
    return R::Error(paidBefore == 0 ? rc::kHandedOverBelowSum : rc::kPaymentsBelowSum);
  }
  if (type != 1 && amount > remainder) return R::Error(rc::kCannotCloseWithType);
  ReceiptState r = s.receipt;
  r.payments[type - 1] += amount;
  const int64_t paid = Paid(r);
  if (paid > kMaxMoney) return R::Error(rc::kPaymentsOverflow);
  const int64_t change = Change(sum, paid);
  const int64_t cash = r.payments[0] - change;
  if (PaysOut(s.receiptState) && cash > s.cashInDrawer) return R::Error(rc::kNoCashToPayOut);
  if (checkOnly) return R::Ok();

  if (type != 1 && amount > 0) NoteCard(r, "");
  s.receipt = std::move(r);
  Commit(s, cash, reg.Now().hour);
  reg.Print(TapeLine("ИТОГ", "=" + MoneyText(sum)));
  for (int k = 0; k < kPaymentTypes; ++k) {
    if (s.receipt.payments[k] > 0)
      reg.Print(TapeLine(PaymentName(k + 1), "=" + MoneyText(s.receipt.payments[k])));
  }
  for (const std::string& note : s.receipt.notes) reg.Print(note);
  if (change > 0) reg.Print(TapeLine("СДАЧА", "=" + MoneyText(change)));
  EklzWriteReceipt(reg);
  PrintReceiptEnding(reg);
  reg.Print(std::string(kTapeWidth, '-'));
  s.receiptState = 0;
  s.receiptSum = 0;
  s.receipt = ReceiptState{};
  if (s.mode == 1) s.submode = 0;
  return R::Ok();
}

}  // namespace

// Card number (20 bytes), authorisation code (8), reference number (12), each in the
// system's code page and filled up with zero bytes; kept for the next payment by card.
Reply CardData(VirtualRegister& reg, const Command& c) {
  RegisterState& s = reg.state();
  if (s.receiptState == 0) return R::Error(rc::kReceiptClosed);
  auto field = [&](size_t first, size_t width) {
    std::span<const uint8_t> bytes = c.params.subspan(first, width);
    size_t n = 0;
    while (n < bytes.size() && bytes[n] != 0) ++n;
    return Cp1251ToUtf8(bytes.first(n));
  };
  s.receipt.card = {field(0, 20), field(20, 8), field(28, 12)};
  return R::Ok();
}

void RegisterPaymentCommands(CommandTable& table) {
  const uint16_t registration = Modes({1});
  table.Add({0x53, "subtotal", 1, registration, true, Subtotal});
  table.Add({0x99, "payment", 7, registration, false, Payment});
  table.Add({0x9B, "payment storno", 7, registration, true, PaymentStorno});
  table.Add({0x4A, "close receipt", 7, registration, true, CloseReceipt});
}

}  // namespace ptk::emu
