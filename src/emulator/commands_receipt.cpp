// Receipts, first half: opening the shift (0x9A) and the receipt (0x92), the item
// registrations (sale 0x48, return 0x57, annulment 0x41, repeat 0x51, storno 0x4E), and
// discounts and surcharges (0x43) with their cancel (0x78). A shift or receipt is not
// opened while the ЭКЛЗ could not take the receipt (archive closed D4, full D8, clock
// before its last record 20).
//
// Every command with a mode byte runs its checks in full; with mode 1 (check only) it
// answers what the operation would give and changes nothing, prints nothing. Amounts are
// kopecks, quantities thousandths; line amounts are price × quantity rounded half up.
#include "core/link/encoding.h"
#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;

struct Item {
  int64_t price = 0;
  int64_t quantity = 0;
  uint8_t section = 1;
};

// 15 data bytes: the receipt sum, the operation's amount, the section's sum in the receipt.
Reply ItemAnswer(int64_t receiptSum, int64_t amount, int64_t sectionSum) {
  std::vector<uint8_t> data = MoneyBcd(receiptSum);
  for (int64_t v : {amount, sectionSum}) {
    std::vector<uint8_t> bytes = MoneyBcd(v);
    data.insert(data.end(), bytes.begin(), bytes.end());
  }
  return R::Ok(std::move(data));
}

// What stops any new line in the receipt.
uint8_t LineRefusal(const RegisterState& s) {
  if (s.receiptState == 0) return rc::kReceiptClosed;
  if (Paid(s.receipt) > 0) return rc::kWrongMode;  // taking payments: only payments and closing
  if (s.receipt.receiptAdjustments > 0) return rc::kAfterReceiptDiscount;
  if (s.receipt.lines.size() >= kMaxReceiptLines) return rc::kReceiptBufferFull;
  return rc::kOk;
}

// A registration command that does not belong to the open receipt's type.
uint8_t KindRefusal(uint8_t receiptType, uint8_t code) {
  if (RegistrationCode(receiptType) == code) return rc::kOk;
  switch (KindOf(receiptType)) {
    case ReceiptKind::Sale:
      return rc::kSaleReceiptOpen;
    case ReceiptKind::Return:
      return rc::kReturnReceiptOpen;
    case ReceiptKind::Annulment:
      break;
  }
  return rc::kAnnulmentReceiptOpen;
}

// Mode byte, price (5 BCD bytes), quantity (5), and for sale and storno the section (1).
uint8_t ReadItem(std::span<const uint8_t> p, bool withSection, Item& item) {
  if (!BcdValue(p.subspan(1, 5), item.price)) return rc::kBadPrice;
  if (!BcdValue(p.subspan(6, 5), item.quantity) || item.quantity == 0) return rc::kBadQuantity;
  if (withSection) {
    int64_t section = 0;
    if (!BcdValue(p.subspan(11, 1), section) || section < 1 || section > kSections)
      return rc::kBadSection;
    item.section = static_cast<uint8_t>(section);
  }
  return rc::kOk;
}

uint8_t LineAmount(const Item& item, int64_t& amount) {
  if (item.price > 0 && item.quantity > (kMaxMoney * 1000 + 499) / item.price)
    return rc::kMultiplyOverflow;
  amount = RoundedDivision(item.price * item.quantity, 1000);
  return rc::kOk;
}

void PrintItem(VirtualRegister& reg, const Item& item, int64_t amount) {
  std::string section = std::to_string(item.section);
  if (section.size() < 2) section.insert(0, "0");
  reg.Print(TapeLine("", MoneyText(item.price) + " * " + QuantityText(item.quantity)));
  reg.Print(TapeLine(section + " СЕКЦИЯ", "=" + MoneyText(amount)));
}

// The sum of closed receipts of the sale type an annulment receipt takes back, less the
// annulments already closed in this shift.
int64_t AnnullableSum(const RegisterState& s) {
  const int annul = s.receiptState - 1;
  return s.shift.totals[annul - 2] - s.shift.totals[annul];
}

// Adds a registration (code 0x48, 0x57 or 0x41) to the receipt.
Reply Register(VirtualRegister& reg, uint8_t code, const Item& item, bool checkOnly, bool repeat) {
  RegisterState& s = reg.state();
  if (uint8_t refusal = KindRefusal(s.receiptState, code)) return R::Error(refusal);
  int64_t amount = 0;
  if (uint8_t refusal = LineAmount(item, amount)) return R::Error(refusal);
  const int64_t sum = s.receiptSum + amount;
  if (sum > kMaxMoney) return R::Error(rc::kReceiptTotalOverflow);
  if (KindOf(s.receiptState) == ReceiptKind::Annulment && sum > AnnullableSum(s))
    return R::Error(rc::kAccumulationBelowAnnulment);
  const int64_t sectionSum = s.receipt.sections[item.section - 1] + amount;
  if (checkOnly) return ItemAnswer(sum, amount, sectionSum);

  s.receipt.lines.push_back({code, item.price, item.quantity, item.section, amount, 0});
  s.receipt.sections[item.section - 1] = sectionSum;
  s.receipt.lastCommand = repeat ? 0x51 : code;
  s.receiptSum = sum;
  if (repeat) reg.Print("ПОВТОР");
  PrintItem(reg, item, amount);
  return ItemAnswer(sum, amount, sectionSum);
}

Reply OpenShift(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  RegisterState& s = reg.state();
  if (s.receiptState != 0) return R::Error(rc::kReceiptOpen);
  if (s.shiftOpen) return R::Error(rc::kShiftOpen);
  if (uint8_t refusal = EklzReceiptRefusal(reg)) return R::Error(refusal);
  if (!checkOnly) OpenShiftNow(reg, FromDeviceText(c.params.subspan(1)));
  return R::Ok();
}

// A closed shift is opened by the first receipt; a shift older than 24 hours takes no
// new receipt (a shift without an opening time comes from an older state file).
Reply OpenReceipt(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  RegisterState& s = reg.state();
  const uint8_t type = c.params[1];
  if (type < 1 || type > kReceiptTypes) return R::Error(rc::kBadReceiptType);
  if (s.receiptState != 0) return R::Error(rc::kReceiptOpen);
  const DateTime now = reg.Now();
  if (s.shiftOpen && s.shiftOpenedAt != 0 && ToSeconds(now) - s.shiftOpenedAt > kShiftLimitSeconds)
    return R::Error(rc::kShiftOver24Hours);
  if (uint8_t refusal = EklzReceiptRefusal(reg)) return R::Error(refusal);
  if (checkOnly) return R::Ok();

  if (!s.shiftOpen) OpenShiftNow(reg, "");
  s.receiptState = type;
  s.receiptSum = 0;
  s.receipt = ReceiptState{};
  ++s.receiptNumber;
  ++s.documentNumber;
  PrintReceiptHeader(reg);
  reg.Print(
      TapeLine(std::string(ReceiptTypeName(type)), "ЧЕК " + Padded(s.receiptNumber % 10000, 4)));
  reg.Print(TapeLine("КАССИР " + Padded(s.cashier, 2), DateTimeText(now)));
  // The document's and the shift's numbers and the register's factory number, as every
  // document of the register carries them.
  const int shift = s.lastClosedShift + (s.shiftOpen ? 1 : 0);
  reg.Print(TapeLine("ДОК. " + Padded(s.documentNumber, 4), "СМЕНА " + Padded(shift, 4)));
  reg.Print(TapeLine("ЗАВ.N", s.factoryNumber));
  return R::Ok();
}

// Sale 0x48 (with a section), return 0x57 and annulment 0x41 (section 1).
Reply Registration(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  if (uint8_t refusal = LineRefusal(reg.state())) return R::Error(refusal);
  Item item;
  if (uint8_t refusal = ReadItem(c.params, c.code == 0x48, item)) return R::Error(refusal);
  return Register(reg, c.code, item, checkOnly, false);
}

// The last registration once more, while it is the receipt's last operation.
Reply RepeatSale(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  const RegisterState& s = reg.state();
  if (uint8_t refusal = LineRefusal(s)) return R::Error(refusal);
  const uint8_t last = s.receipt.lastCommand;
  if (s.receipt.lines.empty() || (last != 0x51 && last != RegistrationCode(s.receiptState)))
    return R::Error(rc::kCannotRepeat);
  const ReceiptLine& line = s.receipt.lines.back();
  const Item item{line.price, line.quantity, line.section};
  return Register(reg, line.code, item, checkOnly, true);
}

// Takes back a quantity registered earlier in this receipt at the same price and section.
Reply StornoItem(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  RegisterState& s = reg.state();
  if (uint8_t refusal = LineRefusal(s)) return R::Error(refusal);
  Item item;
  if (uint8_t refusal = ReadItem(c.params, true, item)) return R::Error(refusal);
  int64_t registered = 0;
  bool found = false;
  for (const ReceiptLine& line : s.receipt.lines) {
    if (line.price != item.price || line.section != item.section) continue;
    if (line.code == 0x4E) {
      registered -= line.quantity;
    } else {
      registered += line.quantity;
      found = true;
    }
  }
  if (!found) return R::Error(rc::kStornoNotSold);
  if (item.quantity > registered) return R::Error(rc::kStornoOverSale);
  int64_t amount = 0;
  if (uint8_t refusal = LineAmount(item, amount)) return R::Error(refusal);
  int64_t& sectionSum = s.receipt.sections[item.section - 1];
  if (amount > sectionSum) return R::Error(rc::kSectionBelowStorno);
  const int64_t sum = s.receiptSum - amount;
  if (sum < 0) return R::Error(rc::kSectionBelowStorno);
  if (checkOnly) return ItemAnswer(sum, amount, sectionSum - amount);

  s.receipt.lines.push_back({0x4E, item.price, item.quantity, item.section, amount, 0});
  sectionSum -= amount;
  s.receipt.lastCommand = 0x4E;
  s.receiptSum = sum;
  reg.Print("СТОРНО");
  PrintItem(reg, item, amount);
  return ItemAnswer(sum, amount, sectionSum);
}

// Mode, area (0 receipt, 1 last operation), kind (0 percentage, 1 amount), sign
// (0 discount, 1 surcharge), the value: three BCD bytes of hundredths of a per cent, or
// five of kopecks.
Reply DiscountSurcharge(VirtualRegister& reg, const Command& c) {
  bool checkOnly = false;
  if (!ReadModeByte(c.params[0], checkOnly)) return R::Error(rc::kBadFormat);
  const uint8_t area = c.params[1], kind = c.params[2], sign = c.params[3];
  if (area > 1 || kind > 1 || sign > 1) return R::Error(rc::kBadFormat);
  const size_t width = kind == 0 ? 3 : 5;
  if (c.params.size() < 4 + width) return R::Error(rc::kBadLength);
  RegisterState& s = reg.state();
  ReceiptState& r = s.receipt;
  if (s.receiptState == 0) return R::Error(rc::kReceiptClosed);
  if (Paid(r) > 0) return R::Error(rc::kWrongMode);
  const bool onLine = area == 1;
  if (onLine) {
    // The last line is still the last operation: nothing but its own discount (perhaps
    // cancelled) came after it.
    const uint8_t last = r.lastCommand;
    const bool lineLast = !r.lines.empty() && r.lines.back().code != 0x4E &&
                          (last == r.lines.back().code || last == 0x51 ||
                           ((last == 0x43 || last == 0x78) && r.lastAdjustmentOnLine));
    if (!lineLast) return R::Error(rc::kNoLineForDiscount);
    if (r.lines.back().adjustment != 0) return R::Error(rc::kSecondLineDiscount);
  }
  int64_t value = 0;
  if (!BcdValue(c.params.subspan(4, width), value) || value == 0) return R::Error(rc::kBadDiscount);
  if (kind == 0 && value > 10000) return R::Error(rc::kBadDiscount);  // over 100 per cent
  const int64_t base = onLine ? r.lines.back().amount : s.receiptSum;
  const int64_t amount = kind == 0 ? RoundedDivision(base * value, 10000) : value;
  if (sign == 0 && amount > base) return R::Error(rc::kBadDiscount);
  const int64_t signedAmount = sign == 0 ? -amount : amount;
  const int64_t sum = s.receiptSum + signedAmount;
  if (sum > kMaxMoney) return R::Error(rc::kReceiptTotalOverflow);
  if (checkOnly) return R::Ok();

  if (onLine) {
    r.lines.back().adjustment = signedAmount;
    r.sections[r.lines.back().section - 1] += signedAmount;
  } else {
    ++r.receiptAdjustments;
  }
  (sign == 0 ? r.discounts : r.surcharges) += amount;
  r.lastCommand = 0x43;
  r.lastAdjustment = signedAmount;
  r.lastAdjustmentOnLine = onLine;
  s.receiptSum = sum;
  std::string label = sign == 0 ? "СКИДКА" : "НАДБАВКА";
  if (!onLine) label += " НА ЧЕК";
  if (kind == 0) label += " " + MoneyText(value) + "%";
  reg.Print(TapeLine(label, "=" + MoneyText(amount)));
  return R::Ok();
}

// Takes back the discount or surcharge that was the receipt's last operation.
Reply CancelLastDiscount(VirtualRegister& reg, const Command&) {
  RegisterState& s = reg.state();
  ReceiptState& r = s.receipt;
  if (s.receiptState == 0) return R::Error(rc::kReceiptClosed);
  if (r.lastCommand != 0x43) return R::Error(rc::kCannotCancelDiscount);
  const int64_t adjustment = r.lastAdjustment;
  if (r.lastAdjustmentOnLine) {
    r.lines.back().adjustment = 0;
    r.sections[r.lines.back().section - 1] -= adjustment;
  } else {
    --r.receiptAdjustments;
  }
  (adjustment < 0 ? r.discounts : r.surcharges) -= adjustment < 0 ? -adjustment : adjustment;
  s.receiptSum -= adjustment;
  r.lastCommand = 0x78;
  r.lastAdjustment = 0;
  reg.Print(TapeLine(adjustment < 0 ? "ОТМЕНА СКИДКИ" : "ОТМЕНА НАДБАВКИ",
                     "=" + MoneyText(adjustment < 0 ? -adjustment : adjustment)));
  return R::Ok();
}

}  // namespace

void RegisterReceiptCommands(CommandTable& table) {
  const uint16_t registration = Modes({1});
  table.Add({0x9A, "open shift", 1, registration, true, OpenShift});
  table.Add({0x92, "open receipt", 2, registration, true, OpenReceipt});
  table.Add({0x48, "sale", 12, registration, true, Registration});
  table.Add({0x57, "return", 11, registration, true, Registration});
  table.Add({0x41, "annulment", 11, registration, true, Registration});
  table.Add({0x51, "repeat sale", 1, registration, true, RepeatSale});
  table.Add({0x4E, "storno", 12, registration, true, StornoItem});
  table.Add({0x43, "discount or surcharge", 7, registration, true, DiscountSurcharge});
  table.Add({0x78, "cancel last discount", 0, registration, true, CancelLastDiscount});
  RegisterPaymentCommands(table);
}

}  // namespace ptk::emu
