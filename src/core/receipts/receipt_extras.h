// The extra lines the receipt window prints into a receipt beside its pages: the account
// number (answered exchange), a numbered receipt attribute with a value, and a barcode of
// the EAN family (both on the compact command path), with the attribute names read from
// the register's table 15. Also the parsing of the beep window's fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/direct_command.h"
#include "core/link/frame_exchange.h"
#include "core/programming/field_catalogue.h"
#include "core/receipts/receipt_commands.h"
#include "core/shell/user_interface.h"

namespace ptk {

inline constexpr uint8_t kCmdAccountNumber = 0x5F;
inline constexpr uint8_t kCmdPrintAttribute = 0xBF;  // first parameter byte 0x00
inline constexpr uint8_t kCmdReadTableField = 0x46;
inline constexpr uint8_t kCmdPrintBarcode = 0xC2;

// ed_PrnStrNumCount holds at most this many characters ("до 25-х символов").
inline constexpr int kAccountNumberMaxLength = 25;

// Attribute numbers run from 1 to 100 (the up-down udattrn, rows of table 15).
inline constexpr int kAttributeFirst = 1;
inline constexpr int kAttributeLast = 100;
inline constexpr uint8_t kAttributeTable = 15;
inline constexpr uint8_t kAttributeNameField = 1;
// The parameters of an attribute print: 0x00, the number, the value. The compact path
// takes at most kDirectAreaSize bytes of password, code and parameters.
inline constexpr size_t kAttributeValueMax = kDirectAreaSize - 3 - 2;

// password, 5F, the text as typed in the system's code page; answer 6 bytes, delay 100.
Exchange AccountNumberCommand(const Link& link, std::string_view text);

// Reads the 100 attribute names, row i of table 15 field 1 for i = 1..100 (DirectCommand
// 0x46 with 0F 00 i 01), each the 24 bytes from answer byte 2 in the register's OEM code
// page up to the first zero byte. Returns 0 with all 100 names, or the error code that
// stopped the reading with names empty.
int ReadAttributeNames(Link& link, std::vector<std::string>& names);
// What FillAttributeNames shows for the error of ReadAttributeNames: nothing for 0 and for
// 4100 ("Невозможно в данном режиме"), else ShowDirectError.
void ShowAttributeNamesError(UserInterface& ui, int error);

// The attribute number of eattrn's text: its leading digits as a number (0 when there
// are none), clamped to 1..100: "150" -> 100, "0" and "abc" -> 1, "7x" -> 7.
int ClampAttributeNumber(std::string_view text);
// cbattrnameChange: the number of the selected name (item index + 1), clamped to 1..100.
int AttributeNumberOfItem(int itemIndex);

// A whole number as the window reads a field (an optional sign, then digits only);
// nullopt for anything else or a value beyond the int range.
std::optional<int> ParseWholeNumber(std::string_view text);

// 0x00, the number as one byte, the value in the OEM code page; nullopt when the value
// takes more than kAttributeValueMax bytes.
std::optional<std::vector<uint8_t>> AttributeParams(uint8_t number, std::string_view value);
// Prints the attribute by DirectCommand 0xBF with a 90-byte answer area; returns its error
// code. A value too long for the command is refused with 202 ("Размер передаваемых данных
// больше допустимого") before anything is sent.
int PrintAttribute(Link& link, uint8_t number, std::string_view value);
// The attribute print's own error display: nothing for 0; a negative code through
// ShowResultCode of its low byte; a positive code with its message from the direct-error
// table in a box "Ошибка"; a code that is not in the table shows nothing.
void ShowAttributeError(UserInterface& ui, int error);

// Barcode types of cbbarcodetype: the low four bits the symbology (0 EAN-13, 1 EAN-8),
// the high four bits the add-on (0 none, 1 five digits, 2 two digits).
struct BarcodeType {
  std::string_view item;
  uint8_t code;
};
inline constexpr std::array<BarcodeType, 6> kBarcodeTypes{{
    {"EAN-13", 0x00},
    {"EAN-13+5", 0x10},
    {"EAN-13+2", 0x20},
    {"EAN-8", 0x01},
    {"EAN-8+5", 0x11},
    {"EAN-8+2", 0x21},
}};
// The separator the window passes.
inline constexpr char kBarcodeSeparator = '>';

// The barcode text: the main digits (EAN-13 12 or 13 characters, EAN-8 7 or 8; the check
// digit, if given, dropped) and the separator, then for an add-on exactly 5 or 2 characters
// and the separator again. A separator other than ' ', '<' or '>' becomes ' '. The
// characters themselves are not examined; lengths count characters. Returns 0 with text
// set, or 160 ("Недопустимый параметр") for a wrong length or an unknown type.
int BuildBarcodeText(uint8_t type, std::string_view digits, std::string_view addOn, char separator,
                     std::string& text);
// Prints the barcode by DirectCommand 0xC2: the type code, then the text in the system's
// code page; returns its error code.
int PrintBarcode(Link& link, uint8_t type, std::string_view text);

// A field of the beep window as an unsigned number: digits only (empty, a sign, a
// separator or a value past 32 bits give nullopt; the window then shows kTextBadFormat,
// sends nothing and enables itself again).
std::optional<uint32_t> ParseBeepField(std::string_view text);

}  // namespace ptk
