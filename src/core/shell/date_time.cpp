#include "core/shell/date_time.h"

#include <array>

namespace ptk {

namespace {

uint8_t Bcd(int value) {
  value %= 100;
  if (value < 0) value = -value;
  return static_cast<uint8_t>(((value / 10) << 4) | (value % 10));
}

int RunDateTime(Link& link, std::vector<uint8_t> frame) {
  return link.Run(Exchange::Plain(std::move(frame), kDateTimeDelayMs));
}

// Splits "a?b?c" at single non-digit separators into up to three digit groups.
bool Groups(std::string_view text, std::array<std::string_view, 3>& groups) {
  size_t group = 0, start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && text[i] >= '0' && text[i] <= '9') continue;
    if (group == groups.size() || i == start) return false;
    groups[group++] = text.substr(start, i - start);
    start = i + 1;
  }
  return group == groups.size();
}

int Number(std::string_view digits) {
  int v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  return v;
}

}  // namespace

std::vector<uint8_t> SetDateFrame(const Link& link, const CalendarDate& date) {
  return link.CommandFrame(kCmdSetDate, {Bcd(date.day), Bcd(date.month), Bcd(date.year)});
}

std::vector<uint8_t> SetTimeFrame(const Link& link, const ClockTime& time) {
  return link.CommandFrame(kCmdSetTime, {Bcd(time.hour), Bcd(time.minute), Bcd(time.second)});
}

int SetDate(Link& link, const CalendarDate& date) {
  return RunDateTime(link, SetDateFrame(link, date));
}

int SetTime(Link& link, const ClockTime& time) {
  return RunDateTime(link, SetTimeFrame(link, time));
}

std::optional<CalendarDate> ParseDateText(std::string_view text) {
  std::array<std::string_view, 3> g;
  if (!Groups(text, g) || g[0].size() != 2 || g[1].size() != 2 ||
      (g[2].size() != 2 && g[2].size() != 4))
    return std::nullopt;
  CalendarDate d{Number(g[0]), Number(g[1]), Number(g[2])};
  if (d.day < 1 || d.day > 31 || d.month < 1 || d.month > 12) return std::nullopt;
  return d;
}

std::optional<ClockTime> ParseTimeText(std::string_view text) {
  std::array<std::string_view, 3> g;
  if (!Groups(text, g) || g[0].size() > 2 || g[1].size() != 2 || g[2].size() != 2)
    return std::nullopt;
  ClockTime t{Number(g[0]), Number(g[1]), Number(g[2])};
  if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  return t;
}

bool DateConfirmation::AfterSetDate(const Link& link, int status) {
  // Only the register's request for confirmation asks the person to send the date again;
  // another refusal has shown its own message and says nothing about confirming.
  const bool confirmation =
      status == kExchangeDeviceError && link.AnswerBuffer[2] == kResultDateConfirmation;
  if (confirmation && armed_) {
    armed_ = false;
    return true;
  }
  armed_ = true;
  return false;
}

int SetDateConfirmed(Link& link, const CalendarDate& date) {
  const int status = SetDate(link, date);
  if (status == kExchangeDeviceError && link.AnswerBuffer[2] == kResultDateConfirmation)
    return SetDate(link, date);
  return status;
}

}  // namespace ptk
