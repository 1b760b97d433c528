// Register reading: the decoding of every register from rows of answer bytes, the
// parameters and bytes the register window sends, the read with its stop test, gauge step
// and exchange arguments, and the window's button with a number field that holds no
// whole number.
#include "core/reports/registers.h"

#include <gtest/gtest.h>

#include <optional>

#include "shell_link_fixture.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

// A whole answer as AnswerBuffer holds it: STX, marker, result code 00, data, ETX, check.
struct Answer {
  std::array<uint8_t, kLinkBufferSize> buffer{};
  int length = 0;
};
Answer AnswerOf(const Bytes& data) {
  Answer a;
  Bytes frame = {0x02, 0x55, 0x00};
  frame.insert(frame.end(), data.begin(), data.end());
  uint8_t check = 0x03;
  for (size_t i = 1; i < frame.size(); ++i) check ^= frame[i];
  frame.push_back(0x03);
  frame.push_back(check);
  std::copy(frame.begin(), frame.end(), a.buffer.begin());
  a.length = static_cast<int>(frame.size());
  return a;
}

TEST(RegisterDecoding, EveryRegisterFromItsBytes) {
  struct Row {
    int number;
    Bytes data;    // from AnswerBuffer[3]
    Lines window;  // the register window's lines
    Lines cells;   // the register manager's values
  } rows[] = {
      // money(5): five bytes of roubles, one of kopecks
      {1, {0x00, 0x00, 0x00, 0x12, 0x34, 0x56}, {"Сумма регистраций: 1234,56"}, {"1234,56"}},
      {2, {0x00, 0x00, 0x00, 0x00, 0x00, 0x07}, {"Сумма сторно: 0,07"}, {"0,07"}},
      {3, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {"Сумма платежей: 0,00"}, {"0,00"}},
      {5, {0x99, 0x99, 0x99, 0x99, 0x99, 0x99}, {"Сумма выплат: 9999999999,99"}, {"9999999999,99"}},
      // count(2), leading zeros removed
      {6, {0x00, 0x07}, {"Кол-во регистраций: 7"}, {"7"}},
      {8, {0x12, 0x34}, {"Кол-во внесений: 1234"}, {"1234"}},
      {9, {0x00, 0x00}, {"Кол-во выплат: 0"}, {"0"}},
      // money(6): six and one
      {10, {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x07}, {"Наличность в кассе: 100,07"}, {"100,07"}},
      // sign byte (1: negative), money(5)
      {11, {0x01, /**/ 0x00, 0x00, 0x00, 0x00, 0x05, 0x00}, {"Выручка: -5,00"}, {"-5,00"}},
      {11, {0x00, /**/ 0x00, 0x00, 0x00, 0x01, 0x00, 0x50}, {"Выручка: 100,50"}, {"100,50"}},
      {12, {0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00}, {"Сменный итог: 10,00"}, {"10,00"}},
      // a text line, then the value
      {13,
       {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01},
       {"Необнуляемая сумма по всем записям ФП +", "сменный итог текущей смены: 1000000,01"},
       {"1000000,01"}},
      {14,
       {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
       {"Необнуляемая сумма после перергистр. +", "сменный итог текущей смены: 0,00"},
       {"0,00"}},
      {15, {0x04}, {"Кол-во оставшихся перерегистраций: 4"}, {"4"}},
      {16, {0x21, 0x00}, {"Кол-во оставшихся записей в ФП: 2100"}, {"2100"}},
      // date and time, each byte with two digits, in the order received
      {17,
       {0x03, 0x07, 0x24, /**/ 0x09, 0x05, 0x00},
       {"Текущая  дата: 03/07/24", "Текущее время: 09:05:00"},
       {"03/07/24", "09:05:00"}},
      // shift state: a word in the window, the byte in the manager
      {18,
       {0x00, /**/ 0x02, 0x07, 0x24, /**/ 0x23, 0x59, 0x01},
       {"Состояние смены: закрыта", "Дата закрытия смены: 02/07/24",
        "Время закрытия смены: 23:59:01"},
       {"0", "02/07/24", "23:59:01"}},
      {18,
       {0x01, /**/ 0x00, 0x00, 0x00, /**/ 0x00, 0x00, 0x00},
       {"Состояние смены: открыта", "Дата закрытия смены: 00/00/00",
        "Время закрытия смены: 00:00:00"},
       {"1", "00/00/00", "00:00:00"}},
      // mode byte (not BCD), receipt state, count(2), count(4)
      {19,
       {0x41, /**/ 0x06, /**/ 0x00, 0x12, /**/ 0x00, 0x00, 0x01, 0x23},
       {"Режим работы: 65", "Состояние чека: чек аннулирования покупки", "Номер чека: 12",
        "Номер документа: 123"},
       {"65", "6", "12", "123"}},
      {19,
       {0x01, /**/ 0x05, /**/ 0x00, 0x00, /**/ 0x00, 0x00, 0x00, 0x00},
       {"Режим работы: 1", "Состояние чека: чек возврата покупки", "Номер чека: 0",
        "Номер документа: 0"},
       {"1", "5", "0", "0"}},
      // a receipt state the table does not know is shown as its number
      {19,
       {0x00, /**/ 0x09, /**/ 0x00, 0x01, /**/ 0x00, 0x00, 0x00, 0x02},
       {"Режим работы: 0", "Состояние чека: 9", "Номер чека: 1", "Номер документа: 2"},
       {"0", "9", "1", "2"}},
      // three money(4) fields
      {20,
       {0x00, 0x00, 0x01, 0x23, 0x45, /**/ 0x00, 0x00, 0x00, 0x05, 0x50, /**/ 0x00, 0x00, 0x00,
        0x00, 0x75},
       {"Сумма чека: 123,45", "Остаток чека: 5,50", "Сдача: 0,75"},
       {"123,45", "5,50", "0,75"}},
      {21, {0x00, 0x42}, {"Номер последней закрытой смены: 42"}, {"42"}},
      // factory number: the first byte's value, then two digits of each of the rest
      {22, {0x00, 0x12, 0x34, 0x56}, {"Заводской номер: 0123456"}, {"0123456"}},
      {22, {0x10, 0x20, 0x30, 0x40}, {"Заводской номер: 10203040"}, {"10203040"}},
      {23, {}, {"Зарезервировано"}, {}},
      {24,
       {0x42, /**/ 0x03, 0x20},
       {"Ширина текст. строки в символах: 42", "Ширина графич. линии в пикселях: 320"},
       {"42", "320"}},
      {25, {0x01, 0x28}, {"Максим. кол-во перед. байт: 128"}, {"128"}},
      {26,
       {0x01, /**/ 0x49},
       {"Номер тек. активизации ЭКЛЗ: 1", "Кол-во остав. активизаций ЭКЛЗ: 49"},
       {"1", "49"}},
      // digits(6) and digits(5) keep their leading zeros
      {27,
       {0x00, 0x01, 0x23, 0x45, 0x67, 0x89, /**/ 0x00, 0x00, 0x12, 0x34, 0x56, /**/ 0x00, 0x07,
        /**/ 0x15, 0x01, 0x24},
       {"ИНН: 000123456789", "РНМ: 0000123456", "Начальная смена: 7",
        "Дата фискализ./переререг.: 15/01/24"},
       {"000123456789", "0000123456", "7", "15/01/24"}},
      {28,
       {0x00, 0x00, 0x12, 0x34, 0x56, /**/ 0x01, 0x02, 0x24, /**/ 0x00, 0x07},
       {"Номер ЭКЛЗ: 0000123456", "Дата активизации: 01/02/24", "Смена активизации: 7"},
       {"0000123456", "01/02/24", "7"}},
      // a short answer: ETX and the check byte are not read as values
      {20,
       {0x00, 0x00, 0x01, 0x23, 0x45},
       {"Сумма чека: 123,45", "Остаток чека: 0,00", "Сдача: 0,00"},
       {"123,45", "0,00", "0,00"}},
      // no register: no lines
      {0, {0x00}, {}, {}},
      {29, {0x00}, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.number);
    const Answer a = AnswerOf(row.data);
    EXPECT_EQ(ShowRegister(row.number, a.buffer, a.length), row.window);
    EXPECT_EQ(RegisterCellValues(row.number, a.buffer, a.length), row.cells);
    EXPECT_EQ(RegisterCellCount(row.number), row.cells.size());
  }
}

TEST(RegisterRequest, ParametersByRegisterAndTheNumberField) {
  struct Row {
    const char* number;
    int receipt, payment, total;  // list indices
    std::optional<Bytes> params;  // register, parameter 1, parameter 2; none: refused
  } rows[] = {
      {"3", 1, 1, 1, Bytes{0x03, 0x02, 0x02}},  // "возврат", "тип оплаты 2"
      {"1", 5, 3, 1, Bytes{0x01, 0x06, 0x00}},  // receipt type only
      {"7", 2, 3, 1, Bytes{0x07, 0x03, 0x00}},
      {"12", 5, 3, 1, Bytes{0x0C, 0x01, 0x00}},  // "по покупкам"
      {"13", 5, 3, 0, Bytes{0x0D, 0x00, 0x00}},
      {"4", 5, 3, 1, Bytes{0x04, 0x00, 0x00}},  // whatever the lists show
      {"28", 5, 3, 1, Bytes{0x1C, 0x00, 0x00}},
      {"2", -1, -1, -1, Bytes{0x02, 0x00, 0x00}},  // lists without a selection
      {"99", 0, 0, 0, Bytes{0x63, 0x00, 0x00}},    // outside 1..28: sent as typed
      {"0", 0, 0, 0, Bytes{0x00, 0x00, 0x00}},
      {"-1", 0, 0, 0, Bytes{0xFF, 0x00, 0x00}},
      {"", 0, 0, 0, std::nullopt},
      {"-", 0, 0, 0, std::nullopt},
      {",", 0, 0, 0, std::nullopt},
      {".", 0, 0, 0, std::nullopt},
      {"1,", 0, 0, 0, std::nullopt},
      {"-,", 0, 0, 0, std::nullopt},
      {"1-", 0, 0, 0, std::nullopt},
      {"+1", 0, 0, 0, std::nullopt},
      {"123", 0, 0, 0, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.number);
    const std::optional<RegisterRequest> r =
        RegisterRequestFromFields(row.number, row.receipt, row.payment, row.total);
    ASSERT_EQ(r.has_value(), row.params.has_value());
    if (r) {
      EXPECT_EQ((Bytes{r->number, r->parameter1, r->parameter2}), *row.params);
    }
  }
  EXPECT_EQ(RegisterReceiptTypeItems().size(), 6u);
  EXPECT_EQ(RegisterReceiptTypeItems()[5], "аннулирование покупки");
  EXPECT_EQ(RegisterPaymentTypeItems()[0], "наличные");
  EXPECT_EQ(RegisterTotalTypeItems()[1], "по покупкам");
}

class RegisterReadTest : public test::ShellLinkTest {
 protected:
  UserAbort abort;
  int steps = 0;
  RegisterStepFn step = [this] { ++steps; };
};

TEST_F(RegisterReadTest, StopTestThenExchangeThenOneStep) {
  // An answer far shorter than 55 bytes, after 100 s of execution (beyond the usual 10 s).
  reg.answer = {0x55, 0x00, 0x00, 0x00, 0x00, 0x12, 0x34, 0x56};
  reg.executionMs = 100000;
  EXPECT_EQ(ReadRegister(link, abort, {1, 2, 0}, step), kExchangeOk);
  EXPECT_EQ(OnlyCommand(), (Bytes{0x12, 0x34, 0x91, 0x01, 0x02, 0x00}));  // password, 91, 1 2 0
  EXPECT_GE(clock.slept(), 100u);  // the delay before the answer is read
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(ShowRegister(1, link), Lines{"Сумма регистраций: 1234,56"});

  reg.answer = {0x55, 0x6C, 0x00};  // refused: the step is taken all the same
  EXPECT_EQ(ReadRegister(link, abort, {29, 0, 0}, step), kExchangeDeviceError);
  EXPECT_EQ(ui.Result(), " 6C - Неверный номер регистра.");
  EXPECT_EQ(steps, 2);

  abort.stopRequested = true;  // a stop: nothing sent, no step
  EXPECT_EQ(ReadRegister(link, abort, {1, 1, 0}, step), kRegisterReadStopped);
  EXPECT_EQ(reg.commands.size(), 2u);
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(ui.boxes.back().caption, "Информация");
  EXPECT_EQ(ui.boxes.back().text, "Прервано пользователем!");
}

TEST_F(RegisterReadTest, WindowButtonChecksTheNumberFirst) {
  Lines lines = {"previous"};
  // No whole number: the box, nothing sent, the memo as it was.
  for (const char* text : {"-", ",", ""}) {
    EXPECT_EQ(ReadRegisterForWindow(link, abort, text, 0, 0, 0, lines, step), kRegisterBadNumber);
    EXPECT_EQ(ui.boxes.back().caption, "Ошибка");
    EXPECT_EQ(ui.boxes.back().text, "Неверный формат!");
  }
  EXPECT_TRUE(reg.commands.empty());
  EXPECT_EQ(lines, Lines{"previous"});
  EXPECT_EQ(steps, 0);

  // A refusal keeps the memo; a success replaces it.
  reg.answer = {0x55, 0x6C, 0x00};
  EXPECT_EQ(ReadRegisterForWindow(link, abort, "99", 0, 0, 0, lines, step), kExchangeDeviceError);
  EXPECT_EQ(lines, Lines{"previous"});
  reg.answer = {0x55, 0x00, 0x00, 0x07};
  EXPECT_EQ(ReadRegisterForWindow(link, abort, "6", 2, 0, 0, lines, step), kExchangeOk);
  EXPECT_EQ(reg.commands.back(), (Bytes{0x12, 0x34, 0x91, 0x06, 0x03, 0x00}));
  EXPECT_EQ(lines, Lines{"Кол-во регистраций: 7"});
}

}  // namespace
}  // namespace ptk
