#include "core/eklz/eklz_state.h"

#include <array>
#include <string_view>

#include "core/link/encoding.h"

namespace ptk {
namespace {

constexpr int kDashCount = 42;

// An answer position, or zero past the payload (and past the buffer).
uint8_t At(std::span<const uint8_t> buffer, int answerLength, size_t i) {
  // The payload occupies [1 .. answerLength - 3].
  const long lastPayload = static_cast<long>(answerLength) - 3;
  if (i < 1 || static_cast<long>(i) > lastPayload || i >= buffer.size()) return 0;
  return buffer[i];
}

// A BCD byte in two digits at least: its value, with a leading "0" below 10.
std::string TwoDigits(uint8_t b) {
  std::string s = std::to_string(BcdToInt(b));
  return s.size() < 2 ? "0" + s : s;
}

constexpr std::array<std::string_view, 4> kDocumentTypes{"Продажа", "Покупка", "Возврат продажи",
                                                         "Возврат покупки"};

struct FlagText {
  uint8_t bit;
  std::string_view set, clear;
};
constexpr std::array<FlagText, 6> kFlags{{
    {kEklzArchiveOpen, "Архив открыт", "Архив закрыт"},
    {kEklzActivated, "ЭКЛЗ активизирована", "ЭКЛЗ не активизирована"},
    {kEklzReportRunning, "Снимается отчет", "Нет отчета"},
    {kEklzDocumentOpen, "Документ открыт", "Документ закрыт"},
    {kEklzShiftOpen, "Смена открыта", "Смена закрыта"},
    {kEklzError, "Есть ошибка", "Нет неисправ. ошибки"},
}};

}  // namespace

int QueryEklzState(Link& link) {
  return link.Run(Exchange::ShortAnswer(link.CommandFrame(kCmdEklzState), kEklzStateAnswerLength,
                                        kEklzStateDelayMs));
}

std::vector<std::string> ShowEklzState(std::span<const uint8_t> answerBuffer, int answerLength) {
  auto a = [&](size_t i) { return At(answerBuffer, answerLength, i); };
  // The two-digit texts of positions first..last, concatenated.
  auto digits = [&](size_t first, size_t last) {
    std::string s;
    for (size_t i = first; i <= last; ++i) s += TwoDigits(a(i));
    return s;
  };
  const std::string dashes(kDashCount, '-');
  std::vector<std::string> lines;

  // The roubles as a number: leading zeros dropped, "0" when all are zero. Kept as text,
  // so that bytes that are no BCD (three digits each) cannot overflow anything.
  std::string roubles = digits(3, 6);
  const size_t firstNonZero = roubles.find_first_not_of('0');
  roubles = firstNonZero == std::string::npos ? "0" : roubles.substr(firstNonZero);
  lines.push_back("Итог текущ. док.: " + roubles + "," + TwoDigits(a(7)));
  lines.push_back("Дата посл. опер.: " + TwoDigits(a(10)) + "/" + TwoDigits(a(9)) + "/" +
                  TwoDigits(a(8)));
  lines.push_back("Время посл. опер.: " + TwoDigits(a(11)) + ":" + TwoDigits(a(12)));
  lines.push_back("Посл. номер КПК: " + digits(13, 17));
  lines.push_back(dashes);
  lines.push_back("Номер ЭКЛЗ: " + digits(18, 22));
  lines.push_back(dashes);
  const uint8_t flags = a(23);
  lines.emplace_back(kDocumentTypes[flags & kEklzDocumentTypeMask]);
  for (const FlagText& f : kFlags) lines.emplace_back((flags & f.bit) ? f.set : f.clear);
  lines.push_back(dashes);
  lines.push_back("Номер тек./нов. смены: " + digits(24, 25));
  return lines;
}

std::vector<std::string> ShowEklzState(const Link& link) {
  return ShowEklzState(link.AnswerBuffer, link.AnswerLength);
}

}  // namespace ptk
