// Setting the register's date (0x64) and time (0x4B): day, month, year or hours, minutes,
// seconds, one packed BCD byte each. A date the register wants confirmed is answered with
// result code 0x16 (never shown in a box); the window then asks the person to send it
// again, once: a second refusal in a row is not warned about again.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/link/frame_exchange.h"

namespace ptk {

inline constexpr uint8_t kCmdSetDate = 0x64;  // 'd'
inline constexpr uint8_t kCmdSetTime = 0x4B;  // 'K'
inline constexpr uint32_t kDateTimeDelayMs = 200;
inline constexpr uint8_t kResultDateConfirmation = 0x16;

inline constexpr std::string_view kTextDateAgain = "Требуется повторный ввод даты";
inline constexpr std::string_view kCaptionWarning = "Предупреждение";

struct CalendarDate {
  int day = 1, month = 1, year = 2000;  // year: full, or its last two digits
};
struct ClockTime {
  int hour = 0, minute = 0, second = 0;
};

// password, 0x64, day, month, year % 100 (BCD each).
std::vector<uint8_t> SetDateFrame(const Link& link, const CalendarDate& date);
// password, 0x4B, hours, minutes, seconds (BCD each).
std::vector<uint8_t> SetTimeFrame(const Link& link, const ClockTime& time);

// ExchangeWithAnswer: answerLength 6, allowShortAnswer 0, decodeResult 1, default time-outs,
// delay 200 ms. The exchange's status; failures have been shown by the exchange.
int SetDate(Link& link, const CalendarDate& date);
int SetTime(Link& link, const ClockTime& time);

// "dd.mm.yy" or "dd.mm.yyyy" (any one non-digit as separator); nullopt for anything else,
// a day, month or year out of range included (no calendar check: the register does it).
std::optional<CalendarDate> ParseDateText(std::string_view text);
// "h:mm:ss" or "hh:mm:ss"; nullopt for anything else or a value out of range.
std::optional<ClockTime> ParseTimeText(std::string_view text);

// The window's confirmation rule. Armed at program start; after a set-date exchange,
// AfterSetDate says whether to reset the date picker to today and warn with
// kTextDateAgain (caption kCaptionWarning, warning icon): only for the register's
// confirmation code 0x16 while armed. Any other outcome arms it again.
class DateConfirmation {
 public:
  bool AfterSetDate(const Link& link, int status);
  bool armed() const { return armed_; }

 private:
  bool armed_ = true;
};

// The whole "Установить дату" of a script: sends the date and, when the register wants
// it confirmed, sends it once more. The last exchange's status.
int SetDateConfirmed(Link& link, const CalendarDate& date);

}  // namespace ptk
