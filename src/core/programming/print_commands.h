// Putting text on the receipt tape outside a receipt: a string, a formatted field, and
// the programmed receipt header and ending. Text goes through the register's character
// table; every command is answered with a plain six-byte answer.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"

namespace ptk {

inline constexpr uint8_t kCmdPrintString = 0x5E;
inline constexpr uint8_t kCmdPrintStringReceipt = 0x4C;  // the receipt window's variant
inline constexpr uint8_t kCmdPrintField = 0x87;
inline constexpr uint8_t kCmdPrintHeader = 0x6C;
inline constexpr uint8_t kCmdPrintEnding = 0x73;

// The windows' entry fields take at most this many characters.
inline constexpr int kPrintTextMaxLength = 42;

enum class FieldOperation : uint8_t { Print = 0, CheckOnly = 1 };
enum class FieldHeight : uint8_t { Single = 0, Stretched = 1 };

struct FieldFormat {
  FieldOperation operation = FieldOperation::Print;
  FieldHeight height = FieldHeight::Single;
  bool doubleWidth = false;
  int brightness = 0;  // 0..8
};

// The 11 format bytes that follow the code 0x87.
std::array<uint8_t, 11> FieldFormatBytes(const FieldFormat& format);

// password, code (0x5E or 0x4C), the text in the register's characters.
std::vector<uint8_t> PrintStringFrame(const Link& link, std::string_view text,
                                      uint8_t code = kCmdPrintString);
// password, 0x87, 11 format bytes, the text.
std::vector<uint8_t> PrintFieldFrame(const Link& link, const FieldFormat& format,
                                     std::string_view text);

// Exchange status (1 on success; failures have been shown by the exchange).
int PrintString(Link& link, std::string_view text, uint8_t code = kCmdPrintString);
int PrintField(Link& link, const FieldFormat& format, std::string_view text);
int PrintHeader(Link& link);
int PrintEnding(Link& link);

}  // namespace ptk
