// Frames and exchange arguments of the report and fiscal-memory commands, the date, shift
// and range encodings, the fiscalisation dialogue and the other input checks of the
// report windows.
#include "core/reports/report_commands.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/reports/report_dialogues.h"
#include "shell_link_fixture.h"
#include "support/exchange_shape.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

// T6 and delay; the other time-outs are always 500, 500, 2000, 500, 500, T6, 500.
using Shape = test::ExchangeShape;
constexpr Shape kX{.t6 = 40000, .delay = 100};
constexpr Shape kClearing{.t6 = 40000, .delay = 200};
constexpr Shape kFactory{.delay = 100};
constexpr Shape kFiscalize{.t6 = 40000, .delay = 100};
constexpr Shape kRanges{.answerLength = 25, .allowShort = 1, .delay = 200};
constexpr Shape kFmReport{.t6 = 120000, .delay = 200};

class ReportCommandsTest : public test::ShellLinkTest {};

TEST_F(ReportCommandsTest, FramesAndExchangeArguments) {
  settings.AccessPassword = "";  // packs as 00 00
  using Build = std::function<std::optional<Exchange>()>;
  const ReportDate july3{2013, 7, 3}, july5{2013, 7, 5};
  struct Row {
    const char* what;
    Build build;
    Bytes frame;  // empty: refused, nothing to send
    Shape args;
  } rows[] = {
      {"daily X report",
       [&] { return PrintReportCommand(link, XReportTypeByte(0)); },
       {0x00, 0x00, 0x67, 0x01},
       kX},
      {"hourly report sends type 5",
       [&] { return PrintReportCommand(link, XReportTypeByte(3)); },
       {0x00, 0x00, 0x67, 0x05},
       kX},
      {"Z report",
       [&] { return PrintClearingReportCommand(link, ClearingKind::Daily); },
       {0x00, 0x00, 0x5A},
       kClearing},
      {"general clearing",
       [&] { return PrintClearingReportCommand(link, ClearingKind::General); },
       {0x00, 0x00, 0x77},
       kClearing},
      {"emergency report",
       [&] { return PrintEmergencyReportCommand(link); },
       {0x00, 0x00, 0x60},
       kFmReport},
      {"factory number 123",
       [&] { return ProgramFactoryNumberCommand(link, "123"); },
       {0x00, 0x00, 0x61, 0x00, 0x00, 0x01, 0x23},
       kFactory},
      {"factory number of nine digits",
       [&] { return ProgramFactoryNumberCommand(link, "123456789"); },
       {},
       kFactory},
      {"fiscalisation",
       [&] { return FiscalizeCommand(link, "77", "0000000123", "12345678"); },
       {0x00, 0x00, 0x62,                    // password, code
        0x00, 0x00, 0x00, 0x00, 0x77,        // registration number, 10 digits
        0x00, 0x00, 0x00, 0x00, 0x01, 0x23,  // ИНН, 12 digits
        0x12, 0x34, 0x56, 0x78},             // new fiscal-memory password
       kFiscalize},
      {"fiscalisation with a letter in the ИНН",
       [&] { return FiscalizeCommand(link, "77", "12a", "12345678"); },
       {},
       kFiscalize},
      {"ranges", [&] { return QueryRangesCommand(link); }, {0x00, 0x00, 0x63}, kRanges},
      {"short fiscal-memory report by dates",
       [&] { return ReportByDatesCommand(link, ReportKind::FiscalMemory, false, july3, july5); },
       {0x00, 0x00, 0x65, 0x00,  // type: short
        0x03, 0x07, 0x13,        // 3 July 2013
        0x05, 0x07, 0x13},       // 5 July 2013
       kFmReport},
      {"full ЭКЛЗ report by dates, year 2000",
       [&] {
         return ReportByDatesCommand(link, ReportKind::Eklz, true, {2000, 12, 31}, july5);
       },
       {0x00, 0x00, 0xAC, 0x01, 0x31, 0x12, 0x00, 0x05, 0x07, 0x13},
       kFmReport},
      {"full fiscal-memory report by shifts 5 to 12",
       [&] { return ReportByShiftsCommand(link, ReportKind::FiscalMemory, true, "5", "12"); },
       {0x00, 0x00, 0x66, 0x01,  // type: full
        0x00, 0x05,              // first shift
        0x00, 0x12},             // last shift
       kFmReport},
      {"short ЭКЛЗ report by shifts",
       [&] { return ReportByShiftsCommand(link, ReportKind::Eklz, false, "9999", "0001"); },
       {0x00, 0x00, 0xAD, 0x00, 0x99, 0x99, 0x00, 0x01},
       kFmReport},
      {"empty shift number",
       [&] { return ReportByShiftsCommand(link, ReportKind::FiscalMemory, true, "", "12"); },
       {},
       kFmReport},
      {"five-digit shift number",
       [&] { return ReportByShiftsCommand(link, ReportKind::FiscalMemory, true, "1", "12345"); },
       {},
       kFmReport},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    test::ExpectExchange(row.build(), row.frame, row.args);
  }
}

TEST_F(ReportCommandsTest, ItemsRangesAndRefusedInput) {
  std::vector<std::string> texts;
  for (const XReportItem& i : XReportItems()) texts.push_back(std::string(i.text));
  EXPECT_EQ(texts, (std::vector<std::string>{"суточный отчет (X-отчет)", "отчет по секциям",
                                             "отчет по кассирам", "почасовой отчет"}));
  EXPECT_EQ(ClearingReportItems()[0], "суточный отчет с гашением (Z-отчет)");

  // marker, result, first date, last date, first shift, last shift, ETX, check byte
  const Bytes answer{0x02, 0x55, 0x00, 0x01, 0x07, 0x13, 0x03, 0x07,
                     0x13, 0x00, 0x01, 0x00, 0x25, 0x03, 0x00};
  FmRanges r = ShowRanges(answer, static_cast<int>(answer.size()));
  EXPECT_EQ((std::vector<std::string>{r.dateFirst, r.dateLast, r.shiftFirst, r.shiftLast}),
            (std::vector<std::string>{"01/07/13", "03/07/13", "0001", "0025"}));
  // A short answer: the missing bytes read as zero, not as what lies beyond.
  const Bytes shortAnswer{0x02, 0x55, 0x00, 0x03, 0x00, 0x99, 0x99};
  r = ShowRanges(shortAnswer, 5);
  EXPECT_EQ(r.dateFirst, "00/00/00");
  EXPECT_EQ(r.shiftLast, "0000");

  // Text that is no number is refused with a message and nothing goes on the line.
  EXPECT_EQ(ProgramFactoryNumber(link, "12-3"), 0);
  EXPECT_EQ(ReportByShifts(link, ReportKind::FiscalMemory, true, "1", "x"), 0);
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{"Неверный формат!", "Неверный формат!"}));
  EXPECT_TRUE(reg.commands.empty());
}

TEST_F(ReportCommandsTest, FiscalisationDialogue) {
  FiscalizationDialogue d;
  // Each click: the fields typed, the answer to a question (if one comes), what it gives,
  // the step after it, the fields after it and the box shown.
  struct Click {
    FiscalFields typed;
    Answer answer;
    FiscalClick result;
    int step;
    FiscalFields after;
    std::string box;
  } clicks[] = {
      {{"", "123", "12345678"},
       Answer::Yes,
       FiscalClick::InputError,
       1,
       {"", "123", "12345678"},
       "Введите регистрационный номер ПТК."},
      {{"77", " ", "12345678"},
       Answer::Yes,
       FiscalClick::InputError,
       1,
       {"0000000077", " ", "12345678"},
       "Введите ИНН."},
      {{"77", "123", ""},
       Answer::Yes,
       FiscalClick::InputError,
       1,
       {"0000000077", "0000000123", ""},
       "Введите новый пароль доступа к ФП."},
      {{"77", "123", "1234567"},
       Answer::Yes,
       FiscalClick::InputError,
       1,
       {"0000000077", "0000000123", "1234567"},
       "Пароль доступа к ФП должен быть 8 знаков."},
      {{"77", "123456789012", "12345678"},
       Answer::Yes,
       FiscalClick::PasswordAsked,
       2,
       {"0000000077", "123456789012", ""},
       "ВНИМАНИЕ!!! Проверьте правильность ввода реквизитов и \nи повторите ввод пароля"},
      {{"77", "123", "1234567"},
       Answer::Yes,
       FiscalClick::InputError,
       2,
       {"0000000077", "0000000123", "1234567"},
       "Пароль доступа к ФП должен быть 8 знаков."},
      {{"77", "123", "87654321"},
       Answer::Yes,
       FiscalClick::PasswordMismatch,
       1,
       {"0000000077", "0000000123", ""},
       "Неверный повтор пароля!"},
      {{"77", "123", "12345678"},
       Answer::Yes,
       FiscalClick::PasswordAsked,
       2,
       {"0000000077", "0000000123", ""},
       "ВНИМАНИЕ!!! Проверьте правильность ввода реквизитов и \nи повторите ввод пароля"},
      {{"77", "123", " 12345678 "},
       Answer::No,
       FiscalClick::Declined,
       1,
       {"0000000077", "0000000123", "12345678"},
       "Провести регистрацию ПТК \nс данным набором реквизитов ?"},
      {{"77", "123", "12345678"},
       Answer::Yes,
       FiscalClick::PasswordAsked,
       2,
       {"0000000077", "0000000123", ""},
       ""},
      {{"77", "123", "12345678"},
       Answer::Yes,
       FiscalClick::Confirmed,
       1,
       {"0000000077", "0000000123", "12345678"},
       "Провести регистрацию ПТК \nс данным набором реквизитов ?"},
  };
  int n = 0;
  for (const Click& c : clicks) {
    SCOPED_TRACE("click " + std::to_string(++n));
    ui.boxes.clear();
    ui.answers = {c.answer};
    FiscalFields f = c.typed;
    EXPECT_EQ(d.Click(ui, f), c.result);
    EXPECT_EQ(d.step(), c.step);
    EXPECT_EQ((std::vector<std::string>{f.regNumber, f.inn, f.password}),
              (std::vector<std::string>{c.after.regNumber, c.after.inn, c.after.password}));
    if (!c.box.empty()) {
      ASSERT_EQ(ui.boxes.size(), 1u);
      EXPECT_EQ(ui.boxes[0].text, c.box);
    }
  }
  // The second request for the password comes with its own caption and icon.
  ui.boxes.clear();
  FiscalFields f{"1", "1", "11111111"};
  d.Click(ui, f);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, " Сообщение");
  EXPECT_EQ(ui.boxes[0].icon, Icon::Warning);
  d.Reset();
  EXPECT_EQ(d.step(), 1);
}

TEST_F(ReportCommandsTest, WindowChecksAndLeavingTheModes) {
  std::string digits;
  ui.answers = {Answer::No};
  EXPECT_FALSE(ConfirmFactoryNumber(ui, "123", digits));
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Запрограммировать данный номер ПТК ?"});
  ui.boxes.clear();
  EXPECT_FALSE(ConfirmFactoryNumber(ui, "  ", digits));
  EXPECT_EQ(ui.boxes.back().text, "Введите заводской номер ПТК.");
  EXPECT_TRUE(ConfirmFactoryNumber(ui, " 123 ", digits));
  EXPECT_EQ(digits, "123");

  ui.boxes.clear();
  EXPECT_FALSE(ShiftRangeEntered(ui, "1", " "));
  EXPECT_FALSE(ShiftRangeEntered(ui, "", "2"));
  EXPECT_TRUE(ShiftRangeEntered(ui, "1", "2"));
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>(2, "Введите диапазон номеров смен ПТК."));

  // fm_Gash: the message says whether ExitMode went through; fm_FiskPam sends it a second
  // time only after a first one that succeeded.
  ui.boxes.clear();
  reg.answer = {0x55, 0x00, 0x00};
  EXPECT_EQ(ExitModeWithMessage(link), 1);
  EXPECT_EQ(ExitFiscalMemoryMode(link), 1);
  reg.answer = {0x55, 0x66, 0x00};
  EXPECT_EQ(ExitModeWithMessage(link), 4);
  EXPECT_EQ(ExitFiscalMemoryMode(link), 4);
  EXPECT_EQ(reg.commands.size(), 5u);
  EXPECT_EQ(ui.BoxTexts(),
            (std::vector<std::string>{
                "Успешно вышли из текущего режима и \nвернулись в состояние <<Выбор>>.",
                " 66 - Команда не реализуется в данном режиме.",
                "Не так уж и успешно вышли из текущего режима и \nвернулись в состояние <<Выбор>>.",
                " 66 - Команда не реализуется в данном режиме."}));
}

}  // namespace
}  // namespace ptk
