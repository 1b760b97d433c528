#include "emulator/receipt_book.h"

#include "core/link/encoding.h"

namespace ptk::emu {

ReceiptKind KindOf(uint8_t receiptType) {
  switch (receiptType) {
    case 2:
    case 5:
      return ReceiptKind::Return;
    case 3:
    case 6:
      return ReceiptKind::Annulment;
    default:
      return ReceiptKind::Sale;
  }
}

uint8_t RegistrationCode(uint8_t receiptType) {
  switch (KindOf(receiptType)) {
    case ReceiptKind::Return:
      return 0x57;
    case ReceiptKind::Annulment:
      return 0x41;
    case ReceiptKind::Sale:
      break;
  }
  return 0x48;
}

bool PaysOut(uint8_t receiptType) {
  return receiptType == 2 || receiptType == 3 || receiptType == 4;
}

std::string_view ReceiptTypeName(uint8_t receiptType) {
  static constexpr std::string_view kNames[] = {
      "ПРОДАЖА", "ВОЗВРАТ ПРОДАЖИ", "АННУЛИРОВАНИЕ ПРОДАЖИ",
      "ПОКУПКА", "ВОЗВРАТ ПОКУПКИ", "АННУЛИРОВАНИЕ ПОКУПКИ"};
  if (receiptType < 1 || receiptType > kReceiptTypes) return "";
  return kNames[receiptType - 1];
}

std::string PaymentName(int paymentType) {
  if (paymentType == 1) return "НАЛИЧНЫМИ";
  return "ТИПОМ ОПЛАТЫ " + std::to_string(paymentType);
}

std::string MoneyText(int64_t kopecks) {
  const std::string sign = kopecks < 0 ? "-" : "";
  if (kopecks < 0) kopecks = -kopecks;
  return sign + std::to_string(kopecks / 100) + "," + Padded(kopecks % 100, 2);
}

std::string QuantityText(int64_t thousandths) {
  return std::to_string(thousandths / 1000) + "," + Padded(thousandths % 1000, 3);
}

std::string TapeLine(std::string_view left, std::string_view right) {
  const size_t used = CodePoints(left) + CodePoints(right);
  std::string line(left);
  line.append(used < kTapeWidth ? kTapeWidth - used : 1, ' ');
  line.append(right);
  return line;
}

std::string DateTimeText(const DateTime& t) {
  return Padded(t.day, 2) + "." + Padded(t.month, 2) + "." + Padded(t.year % 100, 2) + " " +
         Padded(t.hour, 2) + ":" + Padded(t.minute, 2);
}

std::string Padded(int64_t value, size_t digits) {
  std::string text = std::to_string(value);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  return text;
}

std::string Dashes() {
  return std::string(kTapeWidth, '-');
}

std::string CentredLine(std::string_view text) {
  const size_t n = CodePoints(text);
  std::string line(n < kTapeWidth ? (kTapeWidth - n) / 2 : 0, ' ');
  return line.append(text);
}

bool BcdValue(std::span<const uint8_t> bytes, int64_t& value) {
  value = 0;
  for (uint8_t b : bytes) {
    if (!IsBcd(b)) return false;
    value = value * 100 + (b >> 4) * 10 + (b & 0x0F);
  }
  return true;
}

std::vector<uint8_t> MoneyBcd(int64_t kopecks) {
  if (kopecks < 0) kopecks = 0;
  return NumberToBcd(static_cast<uint64_t>(kopecks), 10);
}

int64_t RoundedDivision(int64_t num, int64_t den) {
  return (num + den / 2) / den;
}

bool ReadModeByte(uint8_t byte, bool& checkOnly) {
  checkOnly = byte == 1;
  return byte <= 1;
}

int64_t Paid(const ReceiptState& r) {
  int64_t paid = 0;
  for (int64_t p : r.payments) paid += p;
  return paid;
}

int64_t ShiftSalesTotal(const ShiftCounters& shift) {
  const int64_t total = shift.totals[0] - shift.totals[1] - shift.totals[2];
  return total > 0 ? total : 0;
}

void OpenShiftNow(VirtualRegister& reg, const std::string& text) {
  RegisterState& s = reg.state();
  const DateTime now = reg.Now();
  s.shiftOpen = true;
  s.shiftOpenedAt = ToSeconds(now);
  s.shift = ShiftCounters{};
  ++s.documentNumber;
  reg.Print(TapeLine("ОТКРЫТИЕ СМЕНЫ", "ДОК. " + Padded(s.documentNumber, 4)));
  reg.Print(TapeLine("СМЕНА " + Padded(s.lastClosedShift + 1, 4), DateTimeText(now)));
  if (!text.empty()) reg.Print(text);
  reg.Print(std::string(kTapeWidth, '-'));
}

void AnnulOpenReceipt(VirtualRegister& reg) {
  RegisterState& s = reg.state();
  ++s.shift.annulledReceipts;
  s.shift.annulledSum += s.receiptSum;
  reg.Print(TapeLine("ЧЕК АННУЛИРОВАН", "=" + MoneyText(s.receiptSum)));
  reg.Print(std::string(kTapeWidth, '-'));
  s.receiptState = 0;
  s.receiptSum = 0;
  s.receipt = ReceiptState{};
  if (s.mode == 1) s.submode = 0;
}

}  // namespace ptk::emu
