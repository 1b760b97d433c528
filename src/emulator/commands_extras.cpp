// Extra lines of a receipt: the account number (0x5F), a receipt attribute (0xBF with the
// first parameter byte 0x00) and a barcode of the EAN family (0xC2).
//
// 0xBF is also the payment card's data: exactly 40 parameter bytes, three text fields
// filled up with zero bytes. An attribute print starts 0x00 and a number 1..100, which no
// card data can (its card number would be empty yet followed by a character), so the two
// layouts never mix.
#include "core/link/encoding.h"
#include "emulator/receipt_book.h"

namespace ptk::emu {

namespace {

using R = VirtualRegister;

constexpr int kAttributeRows = 100;
constexpr uint8_t kAttributeTable = 15;
constexpr uint8_t kAttributeNameField = 1;
constexpr size_t kAccountNumberMax = kTapeWidth - 7;  // after "СЧЕТ N "

// The name of attribute n from table 15 (the register's OEM code page, filled with zero
// bytes or blanks), or "РЕКВИЗИТ n" while the row holds none.
std::string AttributeName(const VirtualRegister& reg, int n) {
  std::vector<uint8_t> bytes =
      reg.state().tables.Get({kAttributeTable, static_cast<uint16_t>(n), kAttributeNameField});
  while (!bytes.empty() && (bytes.back() == 0 || bytes.back() == ' ')) bytes.pop_back();
  size_t end = 0;
  while (end < bytes.size() && bytes[end] != 0) ++end;
  if (end == 0) return "РЕКВИЗИТ " + std::to_string(n);
  return Cp866ToUtf8(std::span<const uint8_t>(bytes.data(), end));
}

// The account number as typed on the PC (its code page), inside an open receipt.
Reply AccountNumber(VirtualRegister& reg, const Command& c) {
  if (reg.state().receiptState == 0) return R::Error(rc::kReceiptClosed);
  const std::string number = Cp1251ToUtf8(c.params);
  if (c.params.size() > kAccountNumberMax) return R::Error(rc::kBadLength);
  reg.Print("СЧЕТ N " + number);
  return R::Ok();
}

// 0x00, the attribute's number, its value in the OEM code page, inside an open receipt.
Reply PrintAttribute(VirtualRegister& reg, const Command& c) {
  const int n = c.params[1];
  if (n < 1 || n > kAttributeRows) return R::Error(rc::kBadRow);
  if (reg.state().receiptState == 0) return R::Error(rc::kReceiptClosed);
  if (uint8_t refusal = reg.PrinterRefusal()) return R::Error(refusal);
  const std::string value = Cp866ToUtf8(c.params.subspan(2));
  const std::string name = AttributeName(reg, n);
  reg.Print(value.empty() ? name : TapeLine(name, value));
  return R::Ok();
}

Reply AttributeOrCardData(VirtualRegister& reg, const Command& c) {
  const bool attribute = c.params[0] == 0x00 && c.params[1] != 0x00;
  if (attribute) return PrintAttribute(reg, c);
  if (c.params.size() != kCardDataLength) return R::Error(rc::kBadLength);
  return CardData(reg, c);
}

// The EAN check digit of the digits before it.
char CheckDigit(std::string_view digits) {
  int sum = 0;
  int weight = 3;  // from the right: 3, 1, 3, ...
  for (size_t i = digits.size(); i-- > 0;) {
    sum += (digits[i] - '0') * weight;
    weight = 4 - weight;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

size_t DigitRun(std::string_view text, size_t from) {
  size_t end = from;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  return end - from;
}

bool IsSeparator(char c) {
  return c == ' ' || c == '<' || c == '>';
}

// Each digit as two glyphs of a row of bars, between guard bars.
std::string BarRow(std::string_view digits) {
  static constexpr const char* kGlyphs[10] = {"█▐", "▌█", "▐▌", "█▌", "▌▐",
                                              "▐█", "█ ", " █", "▌▌", "▐▐"};
  std::string row = "▐";
  for (char d : digits) row += kGlyphs[d - '0'];
  return row + "▌";
}

size_t BarWidth(std::string_view digits) {
  return 2 * digits.size() + 2;
}

// The digits in the middle of width characters.
std::string Centered(std::string_view digits, size_t width) {
  const size_t left = (width - digits.size()) / 2;
  return std::string(left, ' ') + std::string(digits) +
         std::string(width - left - digits.size(), ' ');
}

// Type (low four bits 0 EAN-13, 1 EAN-8; high four bits add-on 0 none, 1 five digits,
// 2 two digits), then the digits, a separator (' ', '<' or '>'), and for an add-on its
// digits and a separator again (the last separator may be missing). The main digits may
// carry their check digit, which must then be right. Printed as a row of bars with the
// digits under it: the main digits with their check digit, then the add-on.
Reply PrintBarcode(VirtualRegister& reg, const Command& c) {
  const uint8_t type = c.params[0];
  const size_t mainLength = (type & 0x0F) == 0 ? 12 : (type & 0x0F) == 1 ? 7 : 0;
  const size_t addOnLength = (type >> 4) == 0 ? 0 : (type >> 4) == 1 ? 5 : (type >> 4) == 2 ? 2 : 1;
  if (mainLength == 0 || addOnLength == 1) return R::Error(rc::kBadFormat);
  const std::string text(c.params.begin() + 1, c.params.end());
  size_t at = 0;
  const size_t given = DigitRun(text, at);
  if (given != mainLength && given != mainLength + 1) return R::Error(rc::kBadFormat);
  std::string main = text.substr(0, mainLength);
  main += CheckDigit(main);
  if (given == mainLength + 1 && text[mainLength] != main.back()) return R::Error(rc::kBadBarcode);
  at += given;
  if (at < text.size() && IsSeparator(text[at])) ++at;
  const std::string addOn = text.substr(at, DigitRun(text, at));
  if (addOn.size() != addOnLength) return R::Error(rc::kBadFormat);
  at += addOn.size();
  if (addOnLength != 0 && at < text.size() && IsSeparator(text[at])) ++at;
  if (at != text.size()) return R::Error(rc::kBadFormat);

  std::string bars = BarRow(main);
  std::string digits = Centered(main, BarWidth(main));
  if (!addOn.empty()) {
    bars += " " + BarRow(addOn);
    digits += " " + Centered(addOn, BarWidth(addOn));
  }
  while (!digits.empty() && digits.back() == ' ') digits.pop_back();
  reg.Print(std::move(bars));
  reg.Print(std::move(digits));
  return R::Ok();
}

}  // namespace

void RegisterExtraCommands(CommandTable& table) {
  const uint16_t registration = Modes({1});
  table.Add({0x5F, "account number", 1, registration, true, AccountNumber});
  table.Add({0xBF, "attribute or card data", 2, registration, false, AttributeOrCardData});
  table.Add({0xC2, "barcode", 1, kAnyMode, true, PrintBarcode});
}

}  // namespace ptk::emu
