// The ЭКЛЗ window's core: the sixteen lines of the state answer, the command bytes and
// exchange arguments of the activation, totals, archive, query and report commands, the
// input checks and questions, and the report wait taking 0x16 as the ЭКЛЗ printing.
#include <gtest/gtest.h>

#include <functional>

#include "core/eklz/eklz_commands.h"
#include "core/eklz/eklz_state.h"
#include "core/reports/device_state.h"
#include "core/reports/report_dialogues.h"
#include "shell_link_fixture.h"
#include "support/exchange_shape.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

const std::string kDashes(42, '-');

// STX, the payload, ETX and a check byte, as the link's buffer holds them.
Bytes Framed(const Bytes& payload) {
  Bytes b{0x02};
  b.insert(b.end(), payload.begin(), payload.end());
  b.push_back(0x03);
  b.push_back(0x00);
  return b;
}

Lines State(const Bytes& payload) {
  const Bytes b = Framed(payload);
  return ShowEklzState(b, static_cast<int>(b.size()));
}

TEST(EklzState, AllSixteenLines) {
  const Bytes answer{0x55, 0x00,                    // marker, result code
                     0x00, 0x00, 0x01, 0x50, 0x05,  // document total: 150 roubles 05 kopecks
                     0x13, 0x07, 0x03,              // year, month, day
                     0x09, 0x05,                    // hours, minutes
                     0x00, 0x00, 0x00, 0x01, 0x23,  // last КПК
                     0x00, 0x00, 0x12, 0x34, 0x56,  // ЭКЛЗ number
                     0x4A,                          // return of a sale, activated, shift open
                     0x00, 0x07};                   // shift
  EXPECT_EQ(State(answer),
            (Lines{"Итог текущ. док.: 150,05", "Дата посл. опер.: 03/07/13",
                   "Время посл. опер.: 09:05", "Посл. номер КПК: 0000000123", kDashes,
                   "Номер ЭКЛЗ: 0000123456", kDashes, "Возврат продажи", "Архив закрыт",
                   "ЭКЛЗ активизирована", "Нет отчета", "Документ закрыт", "Смена открыта",
                   "Нет неисправ. ошибки", kDashes, "Номер тек./нов. смены: 0007"}));

  // A short answer (marker and result code only): zeros and the "clear" texts.
  EXPECT_EQ(
      State({0x55, 0x00}),
      (Lines{"Итог текущ. док.: 0,00", "Дата посл. опер.: 00/00/00", "Время посл. опер.: 00:00",
             "Посл. номер КПК: 0000000000", kDashes, "Номер ЭКЛЗ: 0000000000", kDashes, "Продажа",
             "Архив закрыт", "ЭКЛЗ не активизирована", "Нет отчета", "Документ закрыт",
             "Смена закрыта", "Нет неисправ. ошибки", kDashes, "Номер тек./нов. смены: 0000"}));
}

TEST(EklzState, FlagBitsAndTotals) {
  // The flags byte at [23] and the lines 8..14 it gives.
  struct Row {
    uint8_t flags;
    Lines lines;
  } rows[] = {
      {0xFD,
       {"Покупка", "Архив открыт", "ЭКЛЗ активизирована", "Снимается отчет", "Документ открыт",
        "Смена открыта", "Есть ошибка"}},
      {0x80,
       {"Продажа", "Архив закрыт", "ЭКЛЗ не активизирована", "Нет отчета", "Документ закрыт",
        "Смена закрыта", "Есть ошибка"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(int{row.flags});
    Bytes answer(25, 0x00);
    answer[0] = 0x55;
    answer[22] = row.flags;  // [23] in the buffer
    const Lines lines = State(answer);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(Lines(lines.begin() + 7, lines.begin() + 14), row.lines);
  }
  // Totals: leading zeros dropped, a byte that is no BCD shows its three digits and
  // overflows nothing.
  struct Total {
    Bytes bytes;  // [3..7]
    std::string line;
  } totals[] = {
      {{0x12, 0x34, 0x56, 0x78, 0x99}, "Итог текущ. док.: 12345678,99"},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x00}, "Итог текущ. док.: 165165165165,00"},
  };
  for (const Total& t : totals) {
    Bytes answer{0x55, 0x00};
    answer.insert(answer.end(), t.bytes.begin(), t.bytes.end());
    EXPECT_EQ(State(answer)[0], t.line);
  }
}

class EklzCommandsTest : public test::ShellLinkTest {};

TEST_F(EklzCommandsTest, FramesAndExchangeArguments) {
  settings.AccessPassword = "";  // packs as 00 00
  using Build = std::function<std::optional<Exchange>()>;
  struct Row {
    const char* what;
    Build build;
    Bytes frame;  // empty: refused, nothing to send
    uint32_t t6;
  } rows[] = {
      {"activation",
       [&] { return EklzOperationCommand(link, EklzOperation::Activate); },
       {0x00, 0x00, 0xA6},
       20000},
      {"activation totals",
       [&] { return EklzOperationCommand(link, EklzOperation::ActivationTotals); },
       {0x00, 0x00, 0xA8},
       120000},
      {"closing the archive",
       [&] { return EklzOperationCommand(link, EklzOperation::CloseArchive); },
       {0x00, 0x00, 0xA7},
       20000},
      {"shift totals of shift 7",
       [&] { return EklzQueryCommand(link, EklzQuery::ShiftTotals, "7"); },
       {0x00, 0x00, 0xA9, 0x00, 0x07},
       120000},
      {"control tape of shift 1234",
       [&] { return EklzQueryCommand(link, EklzQuery::ShiftTape, "1234"); },
       {0x00, 0x00, 0xAA, 0x12, 0x34},
       120000},
      {"document with КПК 123",
       [&] { return EklzQueryCommand(link, EklzQuery::Document, "123"); },
       {0x00, 0x00, 0xAB, 0x00, 0x00, 0x01, 0x23},
       120000},
      {"shift of five digits",
       [&] { return EklzQueryCommand(link, EklzQuery::ShiftTape, "12345"); },
       {},
       0},
      {"КПК of nine digits",
       [&] { return EklzQueryCommand(link, EklzQuery::Document, "123456789"); },
       {},
       0},
      {"full report by shifts 1 to 25",
       [&] { return ReportByShiftsCommand(link, ReportKind::Eklz, true, "1", "25"); },
       {0x00, 0x00, 0xAD, 0x01,  // code, type: full
        0x00, 0x01,              // first shift
        0x00, 0x25},             // last shift
       120000},
      {"short report by dates over March 2013",
       [&] {
         return ReportByDatesCommand(link, ReportKind::Eklz, false, {2013, 3, 1}, {2013, 3, 31});
       },
       {0x00, 0x00, 0xAC, 0x00,  // code, type: short
        0x01, 0x03, 0x13,        // 1 March 2013
        0x31, 0x03, 0x13},       // 31 March 2013
       120000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    test::ExpectExchange(row.build(), row.frame, {.t6 = row.t6, .delay = 200});
  }
}

TEST_F(EklzCommandsTest, StateQueryArguments) {
  reg.answer = {0x55, 0x00, 0x00, 0x00, 0x01, 0x50, 0x05};  // a short answer is taken
  ASSERT_EQ(QueryEklzState(link), 1);
  EXPECT_EQ(OnlyCommand(), (Bytes{0x12, 0x34, 0xAE}));
  EXPECT_EQ(ShowEklzState(link)[0], "Итог текущ. док.: 150,05");
  EXPECT_EQ(ShowEklzState(link)[15], "Номер тек./нов. смены: 0000");
  EXPECT_EQ(ui.Result(), " 00 - Ошибок нет. Команда выполнена.");
  // The register's refusal is shown by the exchange.
  reg.answer = {0x55, 0xD4, 0x00};
  EXPECT_EQ(QueryEklzState(link), 4);
  EXPECT_EQ(ui.BoxTexts(), Lines{" D4 - Неверное состояние ЭКЛЗ."});
}

TEST_F(EklzCommandsTest, QuestionsAndInputChecks) {
  // Each button: the answer to its question; what is sent; the busy calls.
  struct Row {
    EklzOperation op;
    Answer answer;
    std::string question;
    int result;
    Bytes sent;  // command codes
    std::vector<bool> busy;
  } rows[] = {
      {EklzOperation::Activate, Answer::No, "Провести активизацию ЭКЛЗ ?", kEklzDeclined, {}, {}},
      {EklzOperation::Activate,
       Answer::Yes,
       "Провести активизацию ЭКЛЗ ?",
       1,
       {0xA6},
       {true, false}},
      {EklzOperation::ActivationTotals,
       Answer::Yes,
       "Печатать итоги активизации ЭКЛЗ ?",
       1,
       {0xA8},
       {true, false}},
      {EklzOperation::CloseArchive, Answer::Yes, "Закрыть архив ЭКЛЗ ?", 1, {0xA7}, {true, false}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.question);
    reg.commands.clear();
    ui.boxes.clear();
    ui.SetResult("old");
    ui.answers = {row.answer};
    std::vector<bool> busy;
    EXPECT_EQ(EklzOperationClick(link, row.op, [&](bool b) { busy.push_back(b); }), row.result);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Вопрос");
    EXPECT_EQ(ui.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ui.boxes[0].text, row.question);
    Bytes sent;
    for (const Bytes& c : reg.commands) sent.push_back(c.at(2));
    EXPECT_EQ(sent, row.sent);
    EXPECT_EQ(busy, row.busy);
    if (row.answer == Answer::Yes) {
      EXPECT_EQ(ui.resultHistory.at(ui.resultHistory.size() - 2), "");  // cleared first
    }
  }

  // Empty input: the message of the page and nothing sent.
  reg.commands.clear();
  ui.boxes.clear();
  EXPECT_FALSE(EklzQueryEntered(ui, EklzQuery::ShiftTotals, "  "));
  EXPECT_FALSE(EklzQueryEntered(ui, EklzQuery::ShiftTape, ""));
  EXPECT_FALSE(EklzQueryEntered(ui, EklzQuery::Document, "\t"));
  EXPECT_TRUE(EklzQueryEntered(ui, EklzQuery::Document, " 1"));
  EXPECT_FALSE(ShiftRangeEntered(ui, "1", ""));
  EXPECT_EQ(ui.BoxTexts(), (Lines{"Введите номер смены.", "Введите номер смены.",
                                  "Введите номер КПК.", "Введите диапазон номеров смен ПТК."}));
  EXPECT_EQ(ui.boxes[0].caption, "Ошибка");
  EXPECT_EQ(SendEklzQuery(link, EklzQuery::Document, "12.3"), 0);
  EXPECT_EQ(ui.boxes.back().text, "Неверный формат!");
  EXPECT_TRUE(reg.commands.empty());

  // Leaving the mode: a second ExitMode only after a first that succeeded.
  EXPECT_EQ(ExitEklzMode(link), 1);
  reg.answer = {0x55, 0x66, 0x00};
  EXPECT_EQ(ExitEklzMode(link), 4);
  EXPECT_EQ(reg.commands.size(), 3u);
}

// The query and the wait: the register answers the query, then the state code from
// `modes` in turn (the last one repeating).
class EklzWaitTest : public test::ShellLinkTest {
 protected:
  void Script(std::vector<uint8_t> modes) {
    modes_ = std::move(modes);
    polls_ = 0;
    abort.stopRequested = false;
    reg.commands.clear();
    ui.boxes.clear();
    reg.answerFor = [this](std::span<const uint8_t> command) -> Bytes {
      if (command[2] != 0x45) return {0x55, 0x00, 0x00};
      const uint8_t mode = modes_[std::min(polls_++, modes_.size() - 1)];
      if (polls_ == stopAfter) abort.stopRequested = true;
      return {0x55, mode, 0x00};
    };
  }
  UserAbort abort;
  std::vector<uint8_t> modes_;
  size_t polls_ = 0;
  size_t stopAfter = 0;
};

TEST_F(EklzWaitTest, PrintingAs0x16Or0x26) {
  struct Row {
    const char* what;
    std::vector<uint8_t> modes;
    size_t stopAfter;  // 0: no stop
    ReportEnd end;
    size_t polls;
    Lines boxes;
  } rows[] = {
      {"0x16 while printing, then 0x06", {0x16, 0x16, 0x06}, 0, ReportEnd::Finished, 3, {}},
      {"0x26 while printing, then 0x06", {0x26, 0x06}, 0, ReportEnd::Finished, 2, {}},
      {"0x16 then the choice mode",
       {0x16, 0x00},
       0,
       ReportEnd::OtherMode,
       2,
       {"Снятие отчета прервалось!"}},
      {"stopped in 0x16", {0x16}, 1, ReportEnd::Stopped, 2, {"Прервано пользователем!"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    stopAfter = row.stopAfter;
    Script(row.modes);
    EXPECT_EQ(RunEklzQuery(link, abort, EklzQuery::ShiftTape, " 7 "), row.end);
    EXPECT_EQ(reg.commands.front(), (Bytes{0x12, 0x34, 0xAA, 0x00, 0x07}));
    EXPECT_EQ(polls_, row.polls);
    EXPECT_EQ(ui.BoxTexts(), row.boxes);
  }
  // The fiscal-memory wait does not take 0x16 for its printing.
  Script({0x16});
  EXPECT_EQ(WaitReportEnd(link, abort, kFmPrintingMode, kFmRestingMode), ReportEnd::OtherMode);
  EXPECT_TRUE(StillPrinting(0x16, kEklzPrintingMode));
  EXPECT_FALSE(StillPrinting(0x16, kFmPrintingMode));
  // A query refused by the register: its message and no wait.
  Script({0x16});
  reg.answerFor = [](std::span<const uint8_t>) { return Bytes{0x55, 0xDA, 0x00}; };
  EXPECT_EQ(RunEklzQuery(link, abort, EklzQuery::ShiftTotals, "9"), ReportEnd::CommandFailed);
  EXPECT_EQ(reg.commands.size(), 1u);
  EXPECT_EQ(ui.BoxTexts(), Lines{" DA - В ЭКЛЗ нет запрошенных данных."});
}

}  // namespace
}  // namespace ptk
