// Cash in and out, the drawer sums, the account number, attributes, barcodes and the beep
// field: frames, decodings and what reaches the person, on the scripted register.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/receipts/cash_commands.h"
#include "core/receipts/receipt_extras.h"
#include "support/bytes.h"
#include "support/exchange_shape.h"
#include "support/fake_clock.h"
#include "support/link_rig.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using M = OperationMode;

constexpr std::string_view kNoErrors = " 00 - Ошибок нет. Команда выполнена.";
constexpr std::string_view kWrongMode = " 66 - Команда не реализуется в данном режиме.";

using Rig = test::LinkRig;

TEST(DrawerSum, DecodesTwelveDigitsOfWholeUnits) {
  struct Row {
    Bytes answer;  // AnswerBuffer from STX
    size_t first;
    const char* text;
  } rows[] = {
      {{0x02, 0x55,                          // STX, marker
        0x00, 0x00, 0x00, 0x12, 0x34, 0x56,  // whole units
        0x07},                               // hundredths
       2,
       "123456,07"},
      {{0x02, 0x55, 0x00,                    // STX, marker, result code
        0x00, 0x00, 0x00, 0x00, 0x00, 0x05,  // whole units
        0x00},
       3,
       "5,00"},
      {{0x02, 0x55, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99}, 2, "999999999999,99"},
      // Past the 31 bits of a signed 32-bit number.
      {{0x02, 0x55, 0x00, 0x21, 0x47, 0x48, 0x36, 0x48, 0x00}, 2, "2147483648,00"},
      {{0x02, 0x55, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 2, "0,00"},
      {{0x02, 0x55, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}, 2, "1,00"},  // the rest reads as zero
  };
  for (const Row& row : rows) EXPECT_EQ(DecodeDrawerSum(row.answer, row.first), row.text);
}

// Exchange arguments: answer length, short answers allowed, delay, result decoded.
using Shape = test::ExchangeShape;
constexpr Shape kPlain{.delay = 100};
constexpr Shape kDrawer{.answerLength = 20, .allowShort = 1, .delay = 200, .decodeResult = 0};
constexpr Shape kShift{.answerLength = 20, .allowShort = 1, .delay = 200};

TEST(CashCommands, FramesAndExchangeArguments) {
  using Build = std::function<std::optional<Exchange>(const Link&)>;
  struct Row {
    const char* what;
    Build build;
    Bytes frame;  // empty: refused before anything is sent
    Shape args;
  } rows[] = {
      {"cash in 100,00",
       [](const Link& l) { return CashInCommand(l, M::Execute, "100,00", ','); },
       {0x73, 0x91, 0x49, 0x00,         // password, code, execute
        0x00, 0x00, 0x01, 0x00, 0x00},  // 100,00
       kPlain},
      {"cash out 0,50",
       [](const Link& l) { return CashOutCommand(l, M::Execute, "0,50", ','); },
       {0x73, 0x91, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x50},
       kPlain},
      {"cash in, check only",
       [](const Link& l) { return CashInCommand(l, M::CheckOnly, "100,00", ','); },
       {0x73, 0x91, 0x49, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00},
       kPlain},
      {"cash out of letters",
       [](const Link& l) { return CashOutCommand(l, M::Execute, "1О0", ','); },
       {},
       kPlain},
      {"cash in drawer",
       [](const Link& l) { return QueryCashInDrawerCommand(l); },
       {0x73, 0x91, 0x4D},
       kDrawer},
      {"last shift total",
       [](const Link& l) { return QueryLastShiftTotalCommand(l); },
       {0x73, 0x91, 0x58},
       kShift},
      {"account number of eight digits",
       [](const Link& l) { return AccountNumberCommand(l, "40817810"); },
       {0x73, 0x91, 0x5F, 0x34, 0x30, 0x38, 0x31, 0x37, 0x38, 0x31, 0x30},
       kPlain},
      {"account number in the system's code page",
       [](const Link& l) { return AccountNumberCommand(l, "Сч1"); },
       {0x73, 0x91, 0x5F, 0xD1, 0xF7, 0x31},  // Windows-1251, no conversion to the register's
       kPlain},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Rig r;
    test::ExpectExchange(row.build(r.link), row.frame, row.args);
  }
}

TEST(CashCommands, DrawerQueriesTellAmountsFromRefusals) {
  struct Row {
    const char* what;
    bool drawer;   // QueryCashInDrawer, else QueryLastShiftTotal
    Bytes answer;  // payload: marker, ...
    int result;
    const char* amount;
    std::string_view rezult;
    std::vector<std::string> boxes;
  } rows[] = {
      {"drawer amount",
       true,
       {0x55, 0x00, 0x00, 0x00, 0x12, 0x34, 0x56, 0x07},  // marker, 6 + 1 BCD bytes
       1,
       "123456,07",
       kNoErrors,
       {}},
      {"drawer refused: its result code, no amount",
       true,
       {0x55, 0x66, 0x00},  // marker, result code, one byte
       4,
       "",
       kWrongMode,
       {std::string(kWrongMode)}},
      {"drawer answer short with a success code",
       true,
       {0x55, 0x00, 0x00},
       0,
       "",
       "",
       {"Нет ответа!"}},
      {"last shift total",
       false,
       {0x55, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00},  // marker, result, amount
       1,
       "5,00",
       kNoErrors,
       {}},
      {"last shift total refused",
       false,
       {0x55, 0x66, 0x00},
       4,
       "",
       kWrongMode,
       {std::string(kWrongMode)}},
  };
  for (const Row& row : rows) {
    Rig r;
    r.reg.answer = row.answer;
    std::string amount = "old";
    const int result =
        row.drawer ? QueryCashInDrawer(r.link, amount) : QueryLastShiftTotal(r.link, amount);
    EXPECT_EQ(result, row.result) << row.what;
    EXPECT_EQ(amount, row.amount) << row.what;
    EXPECT_EQ(r.ui.result, row.rezult) << row.what;
    EXPECT_EQ(r.ui.BoxTexts(), row.boxes) << row.what;
    EXPECT_EQ(r.reg.commands.size(), 1u) << row.what;
  }
}

TEST(Barcode, TextForEveryTypeAndLength) {
  const std::string d12 = "460000000001", d13 = d12 + "5";
  struct Row {
    uint8_t type;
    std::string digits, addOn;
    char separator;
    int error;
    std::string text;
  } rows[] = {
      {0x00, d12, "", '>', 0, d12 + ">"},
      {0x00, d13, "", '>', 0, d12 + ">"},    // check digit dropped
      {0x00, d12, "99", '>', 0, d12 + ">"},  // no add-on: its field is not read
      {0x00, "46000000000", "", '>', 160, ""},
      {0x00, d13 + "1", "", '>', 160, ""},
      {0x10, d12, "12345", '>', 0, d12 + ">12345>"},
      {0x10, d12, "1234", '>', 160, ""},
      {0x10, d12, "123456", '>', 160, ""},
      {0x20, d12, "12", '>', 0, d12 + ">12>"},
      {0x20, d12, "1", '>', 160, ""},
      {0x20, d12, "123", '>', 160, ""},
      {0x01, "12345670", "", '>', 0, "1234567>"},
      {0x01, "1234567", "", '>', 0, "1234567>"},
      {0x01, "123456", "", '>', 160, ""},
      {0x01, "123456701", "", '>', 160, ""},
      {0x11, "1234567", "12345", '<', 0, "1234567<12345<"},
      {0x11, "1234567", "", '>', 160, ""},
      {0x21, "1234567", "12", ' ', 0, "1234567 12 "},
      {0x21, "1234567", "12345", '>', 160, ""},
      {0x02, d12, "", '>', 160, ""},       // no such symbology
      {0x30, d12, "123", '>', 160, ""},    // no such add-on
      {0x00, d12, "", 'x', 0, d12 + " "},  // other separators become blanks
      // Characters are counted, not bytes, and not examined.
      {0x01, "АБВГДЕЖЗ", "", '>', 0, "АБВГДЕЖ>"},
  };
  for (const Row& row : rows) {
    std::string text = "old";
    EXPECT_EQ(BuildBarcodeText(row.type, row.digits, row.addOn, row.separator, text), row.error)
        << int{row.type} << " " << row.digits << " " << row.addOn;
    EXPECT_EQ(text, row.text) << int{row.type} << " " << row.digits;
  }
}

TEST(Attribute, NumberClampingAndFieldParsing) {
  struct Clamp {
    const char* text;
    int n;
  } clamps[] = {{"150", 100}, {"0", 1},   {"abc", 1},
                {"", 1},      {"7x", 7},  {"100", 100},
                {"-5", 1},    {"42", 42}, {"99999999999999999999", 100}};
  for (const Clamp& c : clamps) EXPECT_EQ(ClampAttributeNumber(c.text), c.n) << c.text;
  EXPECT_EQ(AttributeNumberOfItem(-1), 1);  // nothing selected
  EXPECT_EQ(AttributeNumberOfItem(0), 1);
  EXPECT_EQ(AttributeNumberOfItem(99), 100);
  EXPECT_EQ(AttributeNumberOfItem(150), 100);

  // The attribute print's number (any whole number) and the beep fields (unsigned only).
  constexpr std::nullopt_t no = std::nullopt;
  struct Field {
    const char* text;
    std::optional<int> whole;
    std::optional<uint32_t> beep;
  } fields[] = {{"300", 300, 300u},
                {"-3", -3, no},
                {"", no, no},
                {"1,5", no, no},
                {"-", no, no},
                {"1a", no, no},
                {"2147483648", no, 2147483648u},
                {"4294967296", no, no}};
  for (const Field& f : fields) {
    EXPECT_EQ(ParseWholeNumber(f.text), f.whole) << f.text;
    EXPECT_EQ(ParseBeepField(f.text), f.beep) << f.text;
  }
}

TEST(Attribute, ParametersAndTheirLimit) {
  EXPECT_EQ(AttributeParams(3, "ИНН 123"), (Bytes{0x00, 0x03,        // print, attribute 3
                                                  0x88, 0x8D, 0x8D,  // ИНН in code page 866
                                                  0x20, 0x31, 0x32, 0x33}));  // " 123"
  EXPECT_TRUE(AttributeParams(1, std::string(kAttributeValueMax, 'a')));
  EXPECT_FALSE(AttributeParams(1, std::string(kAttributeValueMax + 1, 'a')));
  EXPECT_FALSE(AttributeParams(1, std::string(300, 'a')));

  // A value too long is refused before anything goes on the line, with a clear message.
  Rig r;
  EXPECT_EQ(PrintAttribute(r.link, 1, std::string(300, 'a')), direct_error::kTooLong);
  EXPECT_TRUE(r.device.writes.empty());
  ShowAttributeError(r.ui, direct_error::kTooLong);
  EXPECT_EQ(r.ui.BoxTexts(),
            std::vector<std::string>{"Размер передаваемых данных больше допустимого"});

  ASSERT_EQ(PrintAttribute(r.link, 3, "ИНН 123"), 0);
  EXPECT_EQ(r.reg.commands.back(),
            (Bytes{0x73, 0x91, 0xBF, 0x00, 0x03, 0x88, 0x8D, 0x8D, 0x20, 0x31, 0x32, 0x33}));
}

TEST(Attribute, ErrorDisplay) {
  struct Row {
    int error;
    std::vector<std::string> boxes;
    std::string rezult;
  } rows[] = {
      {0, {}, ""},
      {static_cast<int>(0x80000000u + 0x9A),
       {" 9A - Чек закрыт - операция невозможна."},
       " 9A - Чек закрыт - операция невозможна."},
      {direct_error::kNoPaper, {"Нет бумаги"}, ""},
      {direct_error::kWrongMode, {"Невозможно в данном режиме"}, ""},
      {direct_error::kUnknown, {"Неизвестная ошибка"}, ""},
      {300, {}, ""},  // not in the table: nothing, unlike ShowDirectError
  };
  for (const Row& row : rows) {
    test::RecordingUi ui;
    ShowAttributeError(ui, row.error);
    EXPECT_EQ(ui.BoxTexts(), row.boxes) << row.error;
    EXPECT_EQ(ui.result, row.rezult) << row.error;
  }
  // The names' reading stays quiet about a register outside its mode only.
  test::RecordingUi ui;
  ShowAttributeNamesError(ui, direct_error::kWrongMode);
  ShowAttributeNamesError(ui, 0);
  EXPECT_TRUE(ui.boxes.empty());
  ShowAttributeNamesError(ui, direct_error::kNoAnswer);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Нет ответа"});
}

TEST(Attribute, NamesAreReadRowByRowAndStopAtAnError) {
  struct Row {
    const char* what;
    int failingRow;  // 0: none
    uint8_t code;    // its result code
    int error;
  } rows[] = {
      {"all hundred", 0, 0x00, 0},
      {"fewer rows than a hundred", 37, 0x92, static_cast<int>(0x80000000u + 0x92)},
      {"outside the register's mode", 1, 0x66, direct_error::kWrongMode},
  };
  for (const Row& row : rows) {
    Rig r;
    r.reg.answerFor = [&](std::span<const uint8_t> command) -> Bytes {
      const int i = command[5];
      if (i == row.failingRow) return {0x55, row.code, 0x00};
      Bytes a{0x55, 0x00};
      if (i == 3) {
        a.insert(a.end(), {0x88, 0x8D, 0x8D});  // "ИНН" in code page 866
      } else {
        const std::string name = "R" + std::to_string(i);
        a.insert(a.end(), name.begin(), name.end());
      }
      a.resize(2 + 24, 0x00);  // zero-filled to 24 bytes
      return a;
    };
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(ReadAttributeNames(r.link, names), row.error) << row.what;
    const size_t sent = row.failingRow ? static_cast<size_t>(row.failingRow) : 100u;
    ASSERT_EQ(r.reg.commands.size(), sent) << row.what;
    EXPECT_EQ(r.reg.commands.back(),  // table 15, row, field 1
              (Bytes{0x73, 0x91, 0x46, 0x0F, 0x00, static_cast<uint8_t>(sent), 0x01}))
        << row.what;
    if (row.failingRow) {
      EXPECT_TRUE(names.empty()) << row.what;
      continue;
    }
    ASSERT_EQ(names.size(), 100u);
    EXPECT_EQ(names[0], "R1");
    EXPECT_EQ(names[2], "ИНН");
    EXPECT_EQ(names[99], "R100");
  }
}

}  // namespace
}  // namespace ptk
