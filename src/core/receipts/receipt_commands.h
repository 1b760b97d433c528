// The commands of the receipt window: shift and receipt opening, registrations (sale,
// repeat, storno, return, annulment), discounts and surcharges, subtotal, payments,
// closing, whole-receipt annulment and the payment card's data.
//
// Each builder gives the exchange (the command frame with the answer's shape, the time
// limits and the delay that belong to it); Link::Run sends it. Builders that encode a
// field's text return nullopt when the text is no valid value: the window then shows kTextBadFormat
// and sends nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"
#include "core/receipts/money.h"
#include "core/receipts/receipt_sums.h"

namespace ptk {

inline constexpr uint8_t kCmdOpenShift = 0x9A;
inline constexpr uint8_t kCmdOpenReceipt = 0x92;
inline constexpr uint8_t kCmdRegisterItem = 0x48;
inline constexpr uint8_t kCmdRepeatSale = 0x51;
inline constexpr uint8_t kCmdStornoItem = 0x4E;
inline constexpr uint8_t kCmdReturnItem = 0x57;
inline constexpr uint8_t kCmdAnnulItem = 0x41;
inline constexpr uint8_t kCmdAnnulReceipt = 0x59;
inline constexpr uint8_t kCmdDiscountSurcharge = 0x43;
inline constexpr uint8_t kCmdCancelLastDiscount = 0x78;
inline constexpr uint8_t kCmdSubtotal = 0x53;
inline constexpr uint8_t kCmdPayment = 0x99;
inline constexpr uint8_t kCmdPaymentStorno = 0x9B;
inline constexpr uint8_t kCmdCloseReceipt = 0x4A;
inline constexpr uint8_t kCmdCardData = 0xBF;

// The mode byte of the page commands: the item index of "Вид операции".
enum class OperationMode : uint8_t { Execute = 0, CheckOnly = 1 };

// Receipt types 1..6 in the order of the window's list: "Продажа", "Возврат продажи",
// "Аннулирование продажи", "Покупка", "Возврат покупки", "Аннулирование покупки".
inline constexpr int kReceiptTypeCount = 6;
// Payment types 1..4: "наличными", "типом оплаты 2", "типом оплаты 3", "типом оплаты 4".
inline constexpr int kPaymentTypeCount = 4;
inline constexpr int kCashPayment = 1;

// Widths of the payment card's fields in the card data command.
inline constexpr size_t kCardNumberWidth = 20;
inline constexpr size_t kCardAuthCodeWidth = 8;
inline constexpr size_t kCardReferenceWidth = 12;

// Delay between the register's opening of its answer and reading it, for the receipt
// commands; T6 of the closing, which prints the receipt's end.
inline constexpr uint32_t kReceiptDelayMs = 100;
inline constexpr uint32_t kCloseReceiptT6Ms = 20000;

// password, 9A, mode, the text in the register's characters.
Exchange OpenShiftCommand(const Link& link, OperationMode mode, std::string_view text);
// password, 92, mode, receipt type 1..6.
Exchange OpenReceiptCommand(const Link& link, OperationMode mode, int receiptType);
// password, code, mode, price (5), quantity (5), section (1): sale 48 and storno 4E.
std::optional<Exchange> RegisterItemCommand(const Link& link, OperationMode mode,
                                            std::string_view price, std::string_view quantity,
                                            std::string_view section, char32_t separator);
std::optional<Exchange> StornoItemCommand(const Link& link, OperationMode mode,
                                          std::string_view price, std::string_view quantity,
                                          std::string_view section, char32_t separator);
// password, code, mode, price (5), quantity (5): return 57 and annulment 41.
std::optional<Exchange> ReturnItemCommand(const Link& link, OperationMode mode,
                                          std::string_view price, std::string_view quantity,
                                          char32_t separator);
std::optional<Exchange> AnnulItemCommand(const Link& link, OperationMode mode,
                                         std::string_view price, std::string_view quantity,
                                         char32_t separator);
// password, 51, mode.
Exchange RepeatSaleCommand(const Link& link, OperationMode mode);
// password, 59.
Exchange AnnulReceiptCommand(const Link& link);
// password, 43, mode, area, kind, sign, the value (3 bytes for a percentage, 5 for an
// amount).
std::optional<Exchange> DiscountSurchargeCommand(const Link& link, OperationMode mode,
                                                 DiscountArea area, DiscountKind kind,
                                                 DiscountSign sign, std::string_view value,
                                                 char32_t separator);
// password, 78.
Exchange CancelLastDiscountCommand(const Link& link);
// password, 53, mode.
Exchange SubtotalCommand(const Link& link, OperationMode mode);
// password, 99, mode, payment type, amount (5), the card number in the register's
// characters (possibly empty).
std::optional<Exchange> PaymentCommand(const Link& link, OperationMode mode, int paymentType,
                                       std::string_view amount, std::string_view cardNumber,
                                       char32_t separator);
// password, 9B, mode, payment type, amount (5).
std::optional<Exchange> PaymentStornoCommand(const Link& link, OperationMode mode, int paymentType,
                                             std::string_view amount, char32_t separator);
// password, 4A, mode, payment type, the amount handed over (5); T6 20 s.
std::optional<Exchange> CloseReceiptCommand(const Link& link, OperationMode mode, int paymentType,
                                            std::string_view amount, char32_t separator);
// password, BF, card number (20), authorisation code (8), reference number (12): each
// text in the system's code page as typed, cut to its width and filled with zero bytes.
// The password is the access password read as a number (0 when it is none) in four BCD
// digits.
Exchange CardDataCommand(const Link& link, std::string_view cardNumber, std::string_view authCode,
                         std::string_view reference);

// The remainder still to pay and the change, from the answer of a payment or its storno
// (answer[3..7] and answer[8..12]).
struct PaymentAnswer {
  std::string remainder;
  std::string change;
};
PaymentAnswer DecodePaymentAnswer(std::span<const uint8_t> answer);

}  // namespace ptk
