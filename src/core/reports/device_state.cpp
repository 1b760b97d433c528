#include "core/reports/device_state.h"

#include <array>

#include "core/link/encoding.h"

namespace ptk {

StateCode LastStateCode;

namespace {

constexpr int kDashCount = 42;

// Reads answer positions the way the decoders expect: a position past the payload of
// the answer (or past the buffer) reads as zero.
class AnswerView {
 public:
  AnswerView(std::span<const uint8_t> buffer, int answerLength) : buffer_(buffer) {
    // Payload occupies [1 .. answerLength - 3]; STX, ETX and the check byte around it.
    long last = static_cast<long>(answerLength) - 3;
    if (last < 0) last = 0;
    if (static_cast<size_t>(last) >= buffer.size())
      last = buffer.empty() ? 0 : static_cast<long>(buffer.size()) - 1;
    lastPayload_ = static_cast<size_t>(last);
  }
  uint8_t operator[](size_t i) const {
    return (i >= 1 && i <= lastPayload_) ? buffer_[i] : uint8_t{0};
  }
  unsigned U16(size_t i) const { return (*this)[i] | ((*this)[i + 1] << 8); }
  size_t lastPayload() const { return lastPayload_; }
  std::span<const uint8_t> From(size_t i) const {
    if (i < 1 || i > lastPayload_) return {};
    return buffer_.subspan(i, lastPayload_ - i + 1);
  }

 private:
  std::span<const uint8_t> buffer_;
  size_t lastPayload_ = 0;
};

std::string Dashes() {
  return std::string(kDashCount, '-');
}

// The decimal digits of a BCD byte's value, without leading zeros.
std::string BcdValue(uint8_t b) {
  return std::to_string(BcdToInt(b));
}
// The same with one leading "0" when shorter than two characters.
std::string BcdTwoDigits(uint8_t b) {
  std::string s = BcdValue(b);
  return s.size() < 2 ? "0" + s : s;
}

// A four-digit BCD number (high byte first) shown with at least two digits: 01 05 gives
// "105", 00 07 gives "07".
std::string FourDigitNumber(uint8_t high, uint8_t low) {
  return (BcdToInt(high) == 0 ? std::string() : BcdValue(high)) + BcdTwoDigits(low);
}

std::string_view Flag(uint8_t flags, uint8_t bit, std::string_view set, std::string_view clear) {
  return (flags & bit) ? set : clear;
}

constexpr std::array<DeviceModeEntry, 40> kModes{{
    {0x00, "Режим: выбор", "Подрежим: выбор"},
    {0x01, "Режим: регистрация", "Подрежим: ожидание команды"},
    {0x11, "Режим: регистрация", "Подрежим: ввод пароля"},
    {0x21, "Режим: регистрация", "Подрежим: ожид. ввода секции"},
    {0x31, "Режим: регистрация", "Подрежим: ожид. сторно по штрих-коду"},
    {0x41, "Режим: регистрация", "Подрежим: приём платежей"},
    {0x02, "Режим: Х-отчеты", "Подрежим: ожидание команды"},
    {0x12, "Режим: Х-отчеты", "Подрежим: ввод пароля"},
    {0x22, "Режим: Х-отчеты", "Подрежим: печать отчета"},
    {0x03, "Режим: Z-отчеты", "Подрежим: ожидание команды"},
    {0x13, "Режим: Z-отчеты", "Подрежим: ввод пароля"},
    {0x23, "Режим: Z-отчеты", "Подрежим: печать отчета"},
    {0x33, "Режим: Z-отчеты", "Подрежим: подтв. гашения"},
    {0x43, "Режим: Z-отчеты", "Подрежим: ввод даты с клавиатуры"},
    {0x53, "Режим: Z-отчеты", "Подрежим: ожид. подтв. общ. гашения"},
    {0x63, "Режим: Z-отчеты", "Подрежим: общее гашение"},
    {0x73, "Режим: Z-отчеты", "Подрежим: процесс ввода полож. точки"},
    {0x04, "Режим: программирование", "Подрежим: ожид. команды"},
    {0x14, "Режим: программирование", "Подрежим: ввод пароля"},
    {0x05, "Режим: доступ к ФП", "Подрежим: ожид. команды"},
    {0x15, "Режим: доступ к ФП", "Подрежим: ввод пароля"},
    {0x25, "Режим: доступ к ФП", "Подрежим: печать отчета"},
    {0x35, "Режим: доступ к ФП", "Подрежим: ввод данных"},
    {0x45, "Режим: доступ к ФП", "Подрежим: подтв. входа в режим"},
    {0x06, "Режим: доступ к ЭКЛЗ", "Подрежим: ожидание команды"},
    {0x16, "Режим: доступ к ЭКЛЗ", "Подрежим: печать отчета"},
    {0x17, "Режим: дополнительный", "Подрежим: обнул. таблиц и регистров"},
    {0x27, "Режим: дополнительный", "Подрежим: тестовый прогон"},
    {0x37, "Режим: дополнительный", "Подрежим: обнул. таблиц и регистров"},
    {0x47, "Режим: дополнительный", "Подрежим: тесты"},
    {0x57, "Режим: дополнительный", "Подрежим: ввод даты после замены ядра"},
    {0x67, "Режим: дополнительный", "Подрежим: ввод времени после замены ядра"},
    {0x77, "Режим: дополнительный", "Подрежим: нач. инициализация ПТК"},
    {0x87, "Режим: дополнительный", "Подрежим: ожид. подтв. обнул. таблиц"},
    {0x97, "Режим: дополнительный", "Подрежим: разные накопители памяти"},
    {0xA7, "Режим: дополнительный", "Подрежим: ПТК не инициал."},
    {0xB7, "Режим: дополнительный", "Подрежим: ПТК заблокирована"},
    {0xC7, "Режим: дополнительный", "Подрежим: подтв. ввода даты"},
    {0xD7, "Режим: дополнительный", "Подрежим: оповещ. о переводе часов"},
    {0xE7, "Режим: дополнительный", "Подрежим: блокир. при ошибке ЭКЛЗ"},
}};

constexpr std::array<std::string_view, 21> kLanguages{
    "русская",      "армянская",   "молдавская", "украинская", "литовская", "туркменская",
    "монгольская",  "белорусская", "латвийская", "грузинская", "казахская", "эстонская",
    "азербайджан.", "киргизская",  "таджикская", "узбекская",  "польская",  "румынская",
    "болгарская",   "английская",  "финская"};

constexpr std::array<std::string_view, 7> kReceiptStates{
    "Чек закрыт",           "Продажа", "Возврат", "Аннулирование", "Покупка", "Возврат покупки",
    "Аннулирование покупки"};

// The register's codes of the table's Cyrillic letters and №; the table's other
// characters are ASCII and keep their codes.
bool IsDeviceLetterCode(uint8_t b) {
  return (b >= 0x80 && b <= 0xAF) || (b >= 0xE0 && b <= 0xF1) || b == 0xFC;
}

int QueryState(Link& link, uint8_t code, int decodeResult, const Timeouts& t) {
  Exchange e =
      Exchange::ShortAnswer(link.CommandFrame(code), kStateAnswerLength, kStateQueryDelayMs, t);
  e.decodeResult = decodeResult;
  return link.Run(e);
}

std::span<const uint8_t> Buffer(const Link& link) {
  return link.AnswerBuffer;
}

}  // namespace

int QueryDeviceState(Link& link) {
  return QueryState(link, kCmdDeviceState, 1, Timeouts{});
}
int QueryStateCode(Link& link) {
  return QueryState(link, kCmdStateCode, 0, kStateCodeTimeouts);
}
int QueryDeviceType(Link& link) {
  return QueryState(link, kCmdDeviceType, 1, Timeouts{});
}

std::span<const DeviceModeEntry> DeviceModeTable() {
  return kModes;
}

DeviceModeEntry LookupDeviceMode(uint8_t value) {
  for (const DeviceModeEntry& e : kModes)
    if (e.value == value) return e;
  return {value, " ", " "};
}

std::string_view LanguageTableName(int number) {
  if (number < 0 || number >= static_cast<int>(kLanguages.size())) return "зарезервировано";
  return kLanguages[static_cast<size_t>(number)];
}

std::string DeviceNameText(std::span<const uint8_t> bytes) {
  std::string text;
  for (uint8_t b : bytes) {
    const uint8_t one[1] = {b};
    if (b < 0x20 || b == 0x7F)
      text += '?';
    else if (b < 0x80)
      text += static_cast<char>(b);
    else if (IsDeviceLetterCode(b))
      text += FromDeviceText(one);
    else
      text += Cp1251ToUtf8(one);
  }
  return text;
}

StateCode DecodeStateCode(std::span<const uint8_t> answerBuffer, int answerLength) {
  AnswerView a(answerBuffer, answerLength);
  StateCode s;
  s.mode = a[2];
  uint8_t flags = a[3];
  s.noPaper = flags & 0x01 ? 1 : 0;
  s.noPrinterLink = flags & 0x02 ? 1 : 0;
  s.coverOpen = flags & 0x04 ? 1 : 0;
  s.noRoll = flags & 0x08 ? 1 : 0;
  return s;
}

StateCode DecodeStateCode(const Link& link) {
  LastStateCode = DecodeStateCode(Buffer(link), link.AnswerLength);
  return LastStateCode;
}

std::vector<std::string> ShowDeviceState(std::span<const uint8_t> answerBuffer, int answerLength) {
  AnswerView a(answerBuffer, answerLength);
  std::vector<std::string> lines;
  auto add = [&lines](std::string s) { lines.push_back(std::move(s)); };

  add("Кассир: " + BcdValue(a[2]));
  add("Номер ПТК в зале: " + BcdValue(a[3]));
  add(Dashes());
  add("Текущая  дата: " + BcdTwoDigits(a[6]) + "/" + BcdTwoDigits(a[5]) + "/" + BcdTwoDigits(a[4]));
  add("Текущее время: " + BcdTwoDigits(a[7]) + ":" + BcdTwoDigits(a[8]) + ":" + BcdTwoDigits(a[9]));
  add(Dashes());
  const uint8_t flags = a[10];
  add(std::string(Flag(flags, 0x01, "ПТК фискализирован", "ПТК не фискализирован")));
  add(std::string(Flag(flags, 0x02, "Смена открыта", "Смена закрыта")));
  add(std::string(Flag(flags, 0x04, "Денежный ящик открыт", "Денежный ящик закрыт")));
  add(std::string(Flag(flags, 0x20, "Крышка ПУ открыта", "Крышка ПУ закрыта")));
  add(std::string(Flag(flags, 0x80, "Напряжение на батарее ниже нормы", "Батарея в норме")));
  add(Dashes());
  add("Завод. номер ПТК: " + BcdValue(a[11]) + BcdTwoDigits(a[12]) + BcdTwoDigits(a[13]) +
      BcdTwoDigits(a[14]));
  add("Версия ПТК: " + std::to_string(a.U16(16)));
  add(Dashes());
  const DeviceModeEntry mode = LookupDeviceMode(a[18]);
  add(std::string(mode.modeLine));
  add(std::string(mode.submodeLine));
  add(Dashes());
  add("Номер чека: " + FourDigitNumber(a[19], a[20]));
  add("Номер закр. смены: " + FourDigitNumber(a[21], a[22]));
  const uint8_t receipt = a[23];
  if (receipt < kReceiptStates.size())
    add(std::string(kReceiptStates[receipt]));
  else
    add("Неизвестное состояние чека: " + std::to_string(receipt));

  // Roubles: two digits of each of [24..27] as one number, leading zeros dropped. A byte
  // with nibbles above 9 gives three digits, as its BCD value does.
  std::string roubles;
  for (size_t i = 24; i <= 27; ++i) roubles += BcdTwoDigits(a[i]);
  size_t firstNonZero = roubles.find_first_not_of('0');
  roubles = firstNonZero == std::string::npos ? "0" : roubles.substr(firstNonZero);
  add("Сумма чека: " + roubles + "," + BcdTwoDigits(a[28]));
  add("Полож. десятич. точки: " + std::to_string(a[29]));
  add(Dashes());
  add("Номер порта ПТК: " + std::to_string(a[30]));
  return lines;
}

std::vector<std::string> ShowStateCode(std::span<const uint8_t> answerBuffer, int answerLength) {
  AnswerView a(answerBuffer, answerLength);
  const DeviceModeEntry mode = LookupDeviceMode(a[2]);
  const uint8_t flags = a[3];
  return {std::string(mode.modeLine),
          std::string(mode.submodeLine),
          Dashes(),
          std::string(Flag(flags, 0x01, "Бумаги в принтере нет", "Бумага в принтере есть")),
          std::string(Flag(flags, 0x02, "Связи с принтером нет", "Связь с принтером есть")),
          std::string(Flag(flags, 0x04, "Крышка принтера открыта", "Крышка принтера закрыта")),
          std::string(Flag(flags, 0x08, "Нет рулона бумаги", "Рулон бумаги есть"))};
}

std::vector<std::string> ShowDeviceType(std::span<const uint8_t> answerBuffer, int answerLength) {
  AnswerView a(answerBuffer, answerLength);
  return {"Версия: " + std::to_string(a.U16(7)), "Подверсия: " + std::to_string(a.U16(10)),
          "Языковая таблица: " + std::string(LanguageTableName(a[9])),
          "Название: " + DeviceNameText(a.From(12))};
}

std::vector<std::string> ShowDeviceState(const Link& link) {
  return ShowDeviceState(Buffer(link), link.AnswerLength);
}
std::vector<std::string> ShowStateCode(const Link& link) {
  return ShowStateCode(Buffer(link), link.AnswerLength);
}
std::vector<std::string> ShowDeviceType(const Link& link) {
  return ShowDeviceType(Buffer(link), link.AnswerLength);
}

}  // namespace ptk
