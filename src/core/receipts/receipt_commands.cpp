#include "core/receipts/receipt_commands.h"

#include <algorithm>

#include "core/link/encoding.h"

namespace ptk {
namespace {

constexpr int kPlainAnswer = 6;
constexpr int kItemAnswer = 20;  // the receipt sum follows the result code
constexpr int kLongAnswer = 55;  // up to 55 bytes; shorter answers are taken

uint8_t ModeByte(OperationMode mode) {
  return static_cast<uint8_t>(mode);
}

Exchange Plain(std::vector<uint8_t> frame) {
  Exchange c;
  c.frame = std::move(frame);
  c.delayMs = kReceiptDelayMs;
  return c;
}

Exchange ShortAllowed(std::vector<uint8_t> frame, int answerLength) {
  Exchange c;
  c.frame = std::move(frame);
  c.delayMs = kReceiptDelayMs;
  c.allowShortAnswer = 1;
  c.answerLength = answerLength;
  return c;
}

void Append(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

std::optional<Exchange> ItemCommand(const Link& link, uint8_t code, OperationMode mode,
                                    std::string_view price, std::string_view quantity,
                                    const std::optional<std::string_view>& section,
                                    char32_t separator) {
  const std::optional<Bcd5> p = EncodeMoney(price, separator);
  const std::optional<Bcd5> q = EncodeQuantity(quantity, separator);
  std::optional<uint8_t> s;
  if (section) s = EncodeSection(*section);
  if (!p || !q || (section && !s)) return std::nullopt;
  std::vector<uint8_t> params{ModeByte(mode)};
  Append(params, *p);
  Append(params, *q);
  if (s) params.push_back(*s);
  return ShortAllowed(link.CommandFrame(code, params), kItemAnswer);
}

std::optional<Exchange> AmountCommand(const Link& link, uint8_t code, OperationMode mode,
                                      int paymentType, std::string_view amount,
                                      char32_t separator) {
  const std::optional<Bcd5> a = EncodeAmountText(amount, separator);
  if (!a) return std::nullopt;
  std::vector<uint8_t> params{ModeByte(mode), static_cast<uint8_t>(paymentType)};
  Append(params, *a);
  return ShortAllowed(link.CommandFrame(code, params), kLongAnswer);
}

// The text in the system's code page, cut to width and filled with zero bytes.
void AppendField(std::vector<uint8_t>& out, std::string_view text, size_t width) {
  std::vector<uint8_t> bytes = Utf8ToCp1251(text);
  bytes.resize(width, 0);
  Append(out, bytes);
}

// The access password read as a whole number (0 when it is none) in four BCD digits.
std::vector<uint8_t> NumericPassword(const std::string& password) {
  const bool number =
      !password.empty() && password.size() <= 9 &&
      std::all_of(password.begin(), password.end(), [](char c) { return c >= '0' && c <= '9'; });
  std::string digits = std::to_string(number ? std::stoul(password) : 0ul);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return PackBcd(digits.substr(0, 4));
}

}  // namespace

Exchange OpenShiftCommand(const Link& link, OperationMode mode, std::string_view text) {
  std::vector<uint8_t> params{ModeByte(mode)};
  Append(params, EncodeDeviceText(text));
  return Plain(link.CommandFrame(kCmdOpenShift, params));
}

Exchange OpenReceiptCommand(const Link& link, OperationMode mode, int receiptType) {
  return Plain(
      link.CommandFrame(kCmdOpenReceipt, {ModeByte(mode), static_cast<uint8_t>(receiptType)}));
}

std::optional<Exchange> RegisterItemCommand(const Link& link, OperationMode mode,
                                            std::string_view price, std::string_view quantity,
                                            std::string_view section, char32_t separator) {
  return ItemCommand(link, kCmdRegisterItem, mode, price, quantity, section, separator);
}

std::optional<Exchange> StornoItemCommand(const Link& link, OperationMode mode,
                                          std::string_view price, std::string_view quantity,
                                          std::string_view section, char32_t separator) {
  return ItemCommand(link, kCmdStornoItem, mode, price, quantity, section, separator);
}

std::optional<Exchange> ReturnItemCommand(const Link& link, OperationMode mode,
                                          std::string_view price, std::string_view quantity,
                                          char32_t separator) {
  return ItemCommand(link, kCmdReturnItem, mode, price, quantity, std::nullopt, separator);
}

std::optional<Exchange> AnnulItemCommand(const Link& link, OperationMode mode,
                                         std::string_view price, std::string_view quantity,
                                         char32_t separator) {
  return ItemCommand(link, kCmdAnnulItem, mode, price, quantity, std::nullopt, separator);
}

Exchange RepeatSaleCommand(const Link& link, OperationMode mode) {
  return ShortAllowed(link.CommandFrame(kCmdRepeatSale, {ModeByte(mode)}), kLongAnswer);
}

Exchange AnnulReceiptCommand(const Link& link) {
  return Plain(link.CommandFrame(kCmdAnnulReceipt));
}

std::optional<Exchange> DiscountSurchargeCommand(const Link& link, OperationMode mode,
                                                 DiscountArea area, DiscountKind kind,
                                                 DiscountSign sign, std::string_view value,
                                                 char32_t separator) {
  const std::optional<std::vector<uint8_t>> bytes =
      DiscountValueBytes(value, separator, kind == DiscountKind::Amount);
  if (!bytes) return std::nullopt;
  std::vector<uint8_t> params{ModeByte(mode), static_cast<uint8_t>(area),
                              static_cast<uint8_t>(kind), static_cast<uint8_t>(sign)};
  Append(params, *bytes);
  return Plain(link.CommandFrame(kCmdDiscountSurcharge, params));
}

Exchange CancelLastDiscountCommand(const Link& link) {
  return Plain(link.CommandFrame(kCmdCancelLastDiscount));
}

Exchange SubtotalCommand(const Link& link, OperationMode mode) {
  return ShortAllowed(link.CommandFrame(kCmdSubtotal, {ModeByte(mode)}), kLongAnswer);
}

std::optional<Exchange> PaymentCommand(const Link& link, OperationMode mode, int paymentType,
                                       std::string_view amount, std::string_view cardNumber,
                                       char32_t separator) {
  std::optional<Exchange> c =
      AmountCommand(link, kCmdPayment, mode, paymentType, amount, separator);
  if (c) Append(c->frame, EncodeDeviceText(cardNumber));
  return c;
}

std::optional<Exchange> PaymentStornoCommand(const Link& link, OperationMode mode, int paymentType,
                                             std::string_view amount, char32_t separator) {
  return AmountCommand(link, kCmdPaymentStorno, mode, paymentType, amount, separator);
}

std::optional<Exchange> CloseReceiptCommand(const Link& link, OperationMode mode, int paymentType,
                                            std::string_view amount, char32_t separator) {
  std::optional<Exchange> c =
      AmountCommand(link, kCmdCloseReceipt, mode, paymentType, amount, separator);
  if (!c) return c;
  c->allowShortAnswer = 0;
  c->answerLength = kPlainAnswer;
  c->timeouts.t6 = kCloseReceiptT6Ms;
  return c;
}

Exchange CardDataCommand(const Link& link, std::string_view cardNumber, std::string_view authCode,
                         std::string_view reference) {
  std::vector<uint8_t> frame = NumericPassword(link.settings().AccessPassword);
  frame.push_back(kCmdCardData);
  AppendField(frame, cardNumber, kCardNumberWidth);
  AppendField(frame, authCode, kCardAuthCodeWidth);
  AppendField(frame, reference, kCardReferenceWidth);
  return Plain(std::move(frame));
}

PaymentAnswer DecodePaymentAnswer(std::span<const uint8_t> answer) {
  return {DecodeMoney(answer, 3), DecodeMoney(answer, 8)};
}

}  // namespace ptk
