#include "core/reports/registers.h"

#include "core/receipts/money.h"

namespace ptk {

namespace {

using F = RegisterFormat;

constexpr std::array<std::string_view, 6> kReceiptTypes = {
    "продажа", "возврат", "аннулирование", "покупка", "возврат покупки", "аннулирование покупки"};
constexpr std::array<std::string_view, 4> kPaymentTypes = {"наличные", "тип оплаты 2",
                                                           "тип оплаты 3", "тип оплаты 4"};
constexpr std::array<std::string_view, 2> kTotalTypes = {"по продажам", "по покупкам"};

constexpr std::array<std::string_view, 7> kReceiptStates = {"чек закрыт",
                                                            "чек продажи",
                                                            "чек возврата",
                                                            "чек аннулирования",
                                                            "чек покупки",
                                                            "чек возврата покупки",
                                                            "чек аннулирования покупки"};

constexpr RegisterLayout One(uint8_t number, RegisterField a) {
  return {number, 1, {a}};
}
constexpr RegisterLayout Two(uint8_t number, RegisterField a, RegisterField b) {
  return {number, 2, {a, b}};
}
constexpr RegisterLayout Three(uint8_t number, RegisterField a, RegisterField b, RegisterField c) {
  return {number, 3, {a, b, c}};
}
constexpr RegisterLayout Four(uint8_t number, RegisterField a, RegisterField b, RegisterField c,
                              RegisterField d) {
  return {number, 4, {a, b, c, d}};
}

// Every register: answer position, the window's format, the manager's format, the label.
constexpr std::array<RegisterLayout, kRegisterCount> kLayouts = {
    One(1, {3, F::Money5, F::Money5, "Сумма регистраций: "}),
    One(2, {3, F::Money5, F::Money5, "Сумма сторно: "}),
    One(3, {3, F::Money5, F::Money5, "Сумма платежей: "}),
    One(4, {3, F::Money5, F::Money5, "Сумма внесений: "}),
    One(5, {3, F::Money5, F::Money5, "Сумма выплат: "}),
    One(6, {3, F::Count2, F::Count2, "Кол-во регистраций: "}),
    One(7, {3, F::Count2, F::Count2, "Кол-во сторно: "}),
    One(8, {3, F::Count2, F::Count2, "Кол-во внесений: "}),
    One(9, {3, F::Count2, F::Count2, "Кол-во выплат: "}),
    One(10, {3, F::Money6, F::Money6, "Наличность в кассе: "}),
    One(11, {3, F::SignedMoney5, F::SignedMoney5, "Выручка: "}),
    One(12, {3, F::Money6, F::Money6, "Сменный итог: "}),
    Two(13, {0, F::None, F::None, "Необнуляемая сумма по всем записям ФП +"},
        {3, F::Money6, F::Money6, "сменный итог текущей смены: "}),
    Two(14, {0, F::None, F::None, "Необнуляемая сумма после перергистр. +"},
        {3, F::Money6, F::Money6, "сменный итог текущей смены: "}),
    One(15, {3, F::Bcd1, F::Bcd1, "Кол-во оставшихся перерегистраций: "}),
    One(16, {3, F::Count2, F::Count2, "Кол-во оставшихся записей в ФП: "}),
    Two(17, {3, F::Date, F::Date, "Текущая  дата: "}, {6, F::Time, F::Time, "Текущее время: "}),
    Three(18, {3, F::ShiftState, F::Byte, "Состояние смены: "},
          {4, F::Date, F::Date, "Дата закрытия смены: "},
          {7, F::Time, F::Time, "Время закрытия смены: "}),
    Four(19, {3, F::Byte, F::Byte, "Режим работы: "},
         {4, F::ReceiptState, F::Byte, "Состояние чека: "},
         {5, F::Count2, F::Count2, "Номер чека: "}, {7, F::Count4, F::Count4, "Номер документа: "}),
    Three(20, {3, F::Money4, F::Money4, "Сумма чека: "},
          {8, F::Money4, F::Money4, "Остаток чека: "}, {13, F::Money4, F::Money4, "Сдача: "}),
    One(21, {3, F::Count2, F::Count2, "Номер последней закрытой смены: "}),
    One(22, {3, F::FactoryNumber, F::FactoryNumber, "Заводской номер: "}),
    One(23, {0, F::None, F::None, "Зарезервировано"}),
    Two(24, {3, F::Bcd1, F::Bcd1, "Ширина текст. строки в символах: "},
        {4, F::Count2, F::Count2, "Ширина графич. линии в пикселях: "}),
    One(25, {3, F::Count2, F::Count2, "Максим. кол-во перед. байт: "}),
    Two(26, {3, F::Bcd1, F::Bcd1, "Номер тек. активизации ЭКЛЗ: "},
        {4, F::Bcd1, F::Bcd1, "Кол-во остав. активизаций ЭКЛЗ: "}),
    Four(27, {3, F::Digits6, F::Digits6, "ИНН: "}, {9, F::Digits5, F::Digits5, "РНМ: "},
         {14, F::Count2, F::Count2, "Начальная смена: "},
         {16, F::Date, F::Date, "Дата фискализ./переререг.: "}),
    Three(28, {3, F::Digits5, F::Digits5, "Номер ЭКЛЗ: "},
          {8, F::Date, F::Date, "Дата активизации: "},
          {11, F::Count2, F::Count2, "Смена активизации: "}),
};

// Answer positions as the decoders read them: a position past the payload of a short
// answer (ETX, the check byte, or beyond) reads as zero.
class AnswerBytes {
 public:
  AnswerBytes(std::span<const uint8_t> buffer, int answerLength) : buffer_(buffer) {
    // The payload occupies [1 .. answerLength - 3].
    const long last = static_cast<long>(answerLength) - 3;
    end_ = last < 1 ? 1 : static_cast<size_t>(last) + 1;
    if (end_ > buffer_.size()) end_ = buffer_.size();
  }
  uint8_t operator[](size_t i) const { return i >= 1 && i < end_ ? buffer_[i] : uint8_t{0}; }

 private:
  std::span<const uint8_t> buffer_;
  size_t end_ = 1;
};

// A BCD byte's value: high nibble × 10 + low nibble (so 0x1A reads as 20).
int Bcd(uint8_t b) {
  return (b >> 4) * 10 + (b & 0x0F);
}

// A value with at least two digits.
std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

std::string Digits(const AnswerBytes& a, size_t first, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += TwoDigits(Bcd(a[first + i]));
  return text;
}

std::string Count(const AnswerBytes& a, size_t first, size_t count) {
  const std::string digits = Digits(a, first, count);
  const size_t nonZero = digits.find_first_not_of('0');
  return nonZero == std::string::npos ? "0" : digits.substr(nonZero);
}

// count bytes of roubles, then one of kopecks.
std::string Money(const AnswerBytes& a, size_t first, size_t count) {
  return Count(a, first, count) + "," + TwoDigits(Bcd(a[first + count]));
}

std::string Joined(const AnswerBytes& a, size_t first, char separator) {
  return TwoDigits(Bcd(a[first])) + separator + TwoDigits(Bcd(a[first + 1])) + separator +
         TwoDigits(Bcd(a[first + 2]));
}

}  // namespace

std::span<const std::string_view> RegisterReceiptTypeItems() {
  return kReceiptTypes;
}
std::span<const std::string_view> RegisterPaymentTypeItems() {
  return kPaymentTypes;
}
std::span<const std::string_view> RegisterTotalTypeItems() {
  return kTotalTypes;
}

std::optional<int> ParseRegisterNumber(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

RegisterRequest RegisterParameters(uint8_t number, int receiptTypeIndex, int paymentTypeIndex,
                                   int totalTypeIndex) {
  auto item = [](int index, int offset) {
    return index < 0 ? uint8_t{0} : static_cast<uint8_t>(index + offset);
  };
  RegisterRequest r{number, 0, 0};
  switch (number) {
    case 3:
      r.parameter2 = item(paymentTypeIndex, 1);
      [[fallthrough]];
    case 1:
    case 2:
    case 6:
    case 7:
      r.parameter1 = item(receiptTypeIndex, 1);
      break;
    case 12:
    case 13:
    case 14:
      r.parameter1 = item(totalTypeIndex, 0);
      break;
    default:
      break;
  }
  return r;
}

std::optional<RegisterRequest> RegisterRequestFromFields(std::string_view numberText,
                                                         int receiptTypeIndex, int paymentTypeIndex,
                                                         int totalTypeIndex) {
  const std::optional<int> number = ParseRegisterNumber(numberText);
  if (!number) return std::nullopt;
  // Sent as typed: a negative number goes as its low byte, which no register has.
  return RegisterParameters(static_cast<uint8_t>(*number & 0xFF), receiptTypeIndex,
                            paymentTypeIndex, totalTypeIndex);
}

std::vector<uint8_t> ReadRegisterFrame(const Link& link, const RegisterRequest& request) {
  return link.CommandFrame(kCmdReadRegister,
                           {request.number, request.parameter1, request.parameter2});
}

int ReadRegister(Link& link, UserAbort& abort, const RegisterRequest& request,
                 const RegisterStepFn& step) {
  if (CheckUserAbort(abort, link.ui()) != 0) return kRegisterReadStopped;
  const int status =
      link.Run(Exchange::ShortAnswer(ReadRegisterFrame(link, request), kRegisterAnswerLength,
                                     kRegisterDelayMs, kRegisterTimeouts));
  if (step) step();
  return status;
}

std::span<const RegisterLayout> RegisterLayouts() {
  return kLayouts;
}

const RegisterLayout* FindRegisterLayout(int number) {
  if (number < 1 || number > kRegisterCount) return nullptr;
  return &kLayouts[static_cast<size_t>(number - 1)];
}

std::string FormatRegisterValue(RegisterFormat format, std::span<const uint8_t> answerBuffer,
                                int answerLength, size_t position) {
  const AnswerBytes a(answerBuffer, answerLength);
  const size_t p = position;
  switch (format) {
    case F::None:
      return {};
    case F::Money4:
      return Money(a, p, 4);
    case F::Money5:
      return Money(a, p, 5);
    case F::Money6:
      return Money(a, p, 6);
    case F::SignedMoney5:
      return (Bcd(a[p]) == 1 ? "-" : "") + Money(a, p + 1, 5);
    case F::Count2:
      return Count(a, p, 2);
    case F::Count4:
      return Count(a, p, 4);
    case F::Digits5:
      return Digits(a, p, 5);
    case F::Digits6:
      return Digits(a, p, 6);
    case F::Bcd1:
      return std::to_string(Bcd(a[p]));
    case F::Byte:
      return std::to_string(a[p]);
    case F::Date:
      return Joined(a, p, '/');
    case F::Time:
      return Joined(a, p, ':');
    case F::ShiftState:
      return a[p] == 0 ? "закрыта" : "открыта";
    case F::ReceiptState:
      // A state the register may add later is shown as its number rather than nothing.
      return a[p] < kReceiptStates.size() ? std::string(kReceiptStates[a[p]])
                                          : std::to_string(a[p]);
    case F::FactoryNumber:
      return std::to_string(Bcd(a[p])) + Digits(a, p + 1, 3);
  }
  return {};
}

std::vector<std::string> ShowRegister(int number, std::span<const uint8_t> answerBuffer,
                                      int answerLength) {
  std::vector<std::string> lines;
  const RegisterLayout* layout = FindRegisterLayout(number);
  if (!layout) return lines;
  for (const RegisterField& f : layout->Fields()) {
    lines.push_back(std::string(f.label) +
                    FormatRegisterValue(f.window, answerBuffer, answerLength, f.position));
  }
  return lines;
}

std::vector<std::string> ShowRegister(int number, const Link& link) {
  return ShowRegister(number, link.AnswerBuffer, link.AnswerLength);
}

std::vector<std::string> RegisterCellValues(int number, std::span<const uint8_t> answerBuffer,
                                            int answerLength) {
  std::vector<std::string> cells;
  const RegisterLayout* layout = FindRegisterLayout(number);
  if (!layout) return cells;
  for (const RegisterField& f : layout->Fields()) {
    if (f.manager == F::None) continue;
    cells.push_back(FormatRegisterValue(f.manager, answerBuffer, answerLength, f.position));
  }
  return cells;
}

size_t RegisterCellCount(int number) {
  const RegisterLayout* layout = FindRegisterLayout(number);
  if (!layout) return 0;
  size_t n = 0;
  for (const RegisterField& f : layout->Fields()) n += f.manager != F::None ? 1 : 0;
  return n;
}

int ReadRegisterForWindow(Link& link, UserAbort& abort, std::string_view numberText,
                          int receiptTypeIndex, int paymentTypeIndex, int totalTypeIndex,
                          std::vector<std::string>& lines, const RegisterStepFn& step) {
  link.ui().SetResult("");
  const std::optional<RegisterRequest> request =
      RegisterRequestFromFields(numberText, receiptTypeIndex, paymentTypeIndex, totalTypeIndex);
  if (!request) {
    ShowError(link.ui(), kTextBadFormat);
    return kRegisterBadNumber;
  }
  const int status = ReadRegister(link, abort, *request, step);
  if (status == kExchangeOk) lines = ShowRegister(request->number, link);
  return status;
}

}  // namespace ptk
