// The register's book-keeping of the shift and the receipt, shared by the receipt
// commands: the receipt types and what they may hold, money on the tape and in answers,
// opening a shift, and throwing an open receipt away.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/virtual_register.h"

namespace ptk::emu {

inline constexpr int64_t kMaxMoney = 9'999'999'999;  // 99999999,99: ten BCD digits
inline constexpr size_t kMaxReceiptLines = 200;      // the receipt buffer
inline constexpr int64_t kShiftLimitSeconds = 24 * 3600;
inline constexpr size_t kTapeWidth = 42;

// What a receipt type registers: sales or purchases (1, 4), their returns (2, 5), their
// annulments (3, 6).
enum class ReceiptKind { Sale, Return, Annulment };
ReceiptKind KindOf(uint8_t receiptType);
// The command that registers an item in a receipt of this type (0x48, 0x57, 0x41).
uint8_t RegistrationCode(uint8_t receiptType);
// Money leaves the drawer in this receipt type (sale returns and annulments, purchases).
bool PaysOut(uint8_t receiptType);
// "ПРОДАЖА", "ВОЗВРАТ ПРОДАЖИ", ...
std::string_view ReceiptTypeName(uint8_t receiptType);
// "НАЛИЧНЫМИ", "ТИПОМ ОПЛАТЫ 2", ...
std::string PaymentName(int paymentType);

// 111 -> "1,11"; 1500 thousandths -> "1,500".
std::string MoneyText(int64_t kopecks);
std::string QuantityText(int64_t thousandths);
// left, then right flush with the tape's right edge (one blank at least).
std::string TapeLine(std::string_view left, std::string_view right);
std::string DateTimeText(const DateTime& t);  // "03.07.24 12:34"
// The text in the middle of the tape (as it is when wider).
std::string CentredLine(std::string_view text);
// value with leading zeros to digits: Padded(7, 4) -> "0007".
std::string Padded(int64_t value, size_t digits);
// A line of dashes across the tape.
std::string Dashes();

// Packed BCD as a number; false when a nibble is no digit.
bool BcdValue(std::span<const uint8_t> bytes, int64_t& value);
// Ten BCD digits: eight of whole units, two of hundredths.
std::vector<uint8_t> MoneyBcd(int64_t kopecks);
// num / den rounded half up (num >= 0, den > 0).
int64_t RoundedDivision(int64_t num, int64_t den);

// The mode byte: 0 execute, 1 check only; anything else is refused with 0x13.
bool ReadModeByte(uint8_t byte, bool& checkOnly);

int64_t Paid(const ReceiptState& r);
// The shift's total as the drawer-sum query gives it: sales less their returns and
// annulments (0 when that is negative).
int64_t ShiftSalesTotal(const ShiftCounters& shift);

// Subtotal, payments, their storno and closing (the receipt's second half).
void RegisterPaymentCommands(CommandTable& table);
// The payment card's data (0xBF with exactly kCardDataLength parameter bytes).
inline constexpr size_t kCardDataLength = 40;
Reply CardData(VirtualRegister& reg, const Command& c);

// Opens the shift now and prints its opening; text is printed under it when not empty.
void OpenShiftNow(VirtualRegister& reg, const std::string& text);
// Throws the open receipt away: counted, printed, and the register back in mode 1
// waiting for a command. The caller has checked that a receipt is open.
void AnnulOpenReceipt(VirtualRegister& reg);

}  // namespace ptk::emu
