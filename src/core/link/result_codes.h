// Result codes of the register and their messages.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/shell/user_interface.h"

namespace ptk {

// The result codes by name, for the program that reads them and the virtual register that
// gives them (the texts are in the table behind ResultCodeText).
namespace rc {
inline constexpr uint8_t kOk = 0x00;
inline constexpr uint8_t kBadLength = 0x14;
inline constexpr uint8_t kNeedsDateConfirmation = 0x16;
inline constexpr uint8_t kEntryBlocked = 0x1E;
inline constexpr uint8_t kBadCommand = 0x46;  // a frame too short to hold a command
inline constexpr uint8_t kWrongMode = 0x66;
inline constexpr uint8_t kNoPaper = 0x67;
inline constexpr uint8_t kNoPrinterLink = 0x68;
inline constexpr uint8_t kPrinterMechanical = 0x69;
inline constexpr uint8_t kBadTarget = 0x6D;
// Pictures and the firmware transfer.
inline constexpr uint8_t kNoMoreFirmware = 0x18;
inline constexpr uint8_t kNoMorePictureLines = 0x6B;
inline constexpr uint8_t kPictureMemoryFull = 0x6E;
inline constexpr uint8_t kNoSuchPicture = 0x6F;
inline constexpr uint8_t kNotSupported = 0x7A;  // a command this register does not have
inline constexpr uint8_t kWrongPassword = 0x8C;
inline constexpr uint8_t kBadDate = 0x94;
inline constexpr uint8_t kBadTime = 0x95;
inline constexpr uint8_t kBadRow = 0x92;
inline constexpr uint8_t kReceiptClosed = 0x9A;
inline constexpr uint8_t kReceiptOpen = 0x9B;
inline constexpr uint8_t kShiftOpen = 0x9C;
// Receipts.
inline constexpr uint8_t kBadPrice = 0x08;
inline constexpr uint8_t kBadQuantity = 0x0A;
inline constexpr uint8_t kCounterOverflow = 0x0B;
inline constexpr uint8_t kBadBarcode = 0x12;
inline constexpr uint8_t kCannotRepeat = 0x0E;
inline constexpr uint8_t kSecondLineDiscount = 0x0F;
inline constexpr uint8_t kNoLineForDiscount = 0x10;
inline constexpr uint8_t kBadFormat = 0x13;
inline constexpr uint8_t kReceiptBufferFull = 0x3F;
inline constexpr uint8_t kStornoOverSale = 0x41;
inline constexpr uint8_t kStornoNotSold = 0x43;
inline constexpr uint8_t kBadReceiptType = 0x6A;
inline constexpr uint8_t kPaymentStornoOverPaid = 0x70;
inline constexpr uint8_t kNonCashOverSum = 0x71;
inline constexpr uint8_t kPaymentsBelowSum = 0x72;
inline constexpr uint8_t kAccumulationBelowAnnulment = 0x73;
inline constexpr uint8_t kPaymentsOverflow = 0x75;
inline constexpr uint8_t kBadDiscount = 0x7B;
inline constexpr uint8_t kAfterReceiptDiscount = 0x7C;
inline constexpr uint8_t kBadSection = 0x7D;
inline constexpr uint8_t kBadPaymentType = 0x7E;
inline constexpr uint8_t kMultiplyOverflow = 0x7F;
inline constexpr uint8_t kReceiptTotalOverflow = 0x81;
inline constexpr uint8_t kAnnulmentReceiptOpen = 0x82;
inline constexpr uint8_t kHandedOverBelowSum = 0x86;
inline constexpr uint8_t kReturnReceiptOpen = 0x87;
inline constexpr uint8_t kShiftOver24Hours = 0x88;
inline constexpr uint8_t kSaleReceiptOpen = 0x89;
inline constexpr uint8_t kSectionBelowStorno = 0x96;
inline constexpr uint8_t kNoCashToPayOut = 0x98;
inline constexpr uint8_t kCannotCancelDiscount = 0xB2;
inline constexpr uint8_t kCannotCloseWithType = 0xB3;
// Reports and the fiscal memory.
inline constexpr uint8_t kFiscalMemoryFull = 0x8A;
inline constexpr uint8_t kAlreadyCleared = 0x8F;
inline constexpr uint8_t kFactoryNumberSet = 0x9E;
inline constexpr uint8_t kTooManyRegistrations = 0x9F;
inline constexpr uint8_t kBadShift = 0xA2;
inline constexpr uint8_t kBadReportType = 0xA3;
inline constexpr uint8_t kBadPassword = 0xA4;
inline constexpr uint8_t kBadFactoryNumber = 0xA5;
inline constexpr uint8_t kBadRegNumber = 0xA6;
inline constexpr uint8_t kBadInn = 0xA7;
inline constexpr uint8_t kNotFiscalized = 0xA8;
inline constexpr uint8_t kNoFactoryNumber = 0xA9;
inline constexpr uint8_t kNoReports = 0xAA;
inline constexpr uint8_t kClearingNeeded = 0xC9;
// The ЭКЛЗ.
inline constexpr uint8_t kClockBeforeEklz = 0x20;
inline constexpr uint8_t kCannotCloseArchive = 0x21;
inline constexpr uint8_t kEklzActivationsUsed = 0xCF;
inline constexpr uint8_t kEklzState = 0xD4;
inline constexpr uint8_t kEklzFull = 0xD8;
inline constexpr uint8_t kEklzNoData = 0xDA;
}  // namespace rc

// The message text of a result code (" 00 - Ошибок нет. Команда выполнена.", ...);
// " Неизвестный код ошибки." for a code without an entry.
std::string_view ResultCodeText(uint8_t code);
inline bool IsSuccessCode(uint8_t code) {
  return code == 0x00 || code == 0x01;
}

// Writes the text into ed_rezult; for an error other than 0x16 shows it in a box
// ("Ошибка", error icon). 1 for 0x00 and 0x01, else 0.
int ShowResultCode(UserInterface& ui, uint8_t code);

}  // namespace ptk
