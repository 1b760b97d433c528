// Decoding of the three state answers into the lines of the state window.
#include "core/reports/device_state.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "core/shell_link_fixture.h"

namespace ptk {
namespace {

using Lines = std::vector<std::string>;

// An answer as the exchange keeps it: STX, payload, ETX, check byte, zeros after.
struct AnswerBytes {
  std::array<uint8_t, kLinkBufferSize> buffer{};
  int length = 0;
};

AnswerBytes MakeAnswer(const std::vector<uint8_t>& payload) {
  AnswerBytes a;
  a.buffer[0] = 0x02;
  size_t i = 1;
  uint8_t check = 0x03;
  for (uint8_t b : payload) {
    a.buffer[i++] = b;
    check ^= b;
  }
  a.buffer[i++] = 0x03;
  a.buffer[i++] = check;
  a.length = static_cast<int>(i);
  return a;
}

// The 30 payload bytes of a device-state answer; individual fields overwritten per test.
std::vector<uint8_t> StatePayload() {
  return {
      0x44,                          // [1] marker 'D'
      0x30,                          // [2] cashier 30
      0x01,                          // [3] number in the hall
      0x24, 0x07, 0x03,              // [4..6] year, month, day
      0x09, 0x05, 0x59,              // [7..9] 09:05:59
      0x03,                          // [10] fiscalised, shift open
      0x00, 0x12, 0x34, 0x56,        // [11..14] factory number
      0x07,                          // [15] model (not shown)
      0x02, 0x01,                    // [16..17] version 258
      0x01,                          // [18] registration, waiting for a command
      0x01, 0x05,                    // [19..20] receipt 105
      0x00, 0x07,                    // [21..22] shift 07
      0x01,                          // [23] sale
      0x00, 0x00, 0x12, 0x34, 0x56,  // [24..28] 1234,56
      0x02,                          // [29] decimal point
      0x01,                          // [30] port
  };
}

Lines StateLines(const std::vector<uint8_t>& payload) {
  AnswerBytes a = MakeAnswer(payload);
  return ShowDeviceState(a.buffer, a.length);
}

const std::string kDashes(42, '-');

TEST(ShowDeviceState, FullAnswerGivesEveryLineInOrder) {
  Lines expected = {"Кассир: 30",
                    "Номер ПТК в зале: 1",
                    kDashes,
                    "Текущая  дата: 03/07/24",
                    "Текущее время: 09:05:59",
                    kDashes,
                    "ПТК фискализирован",
                    "Смена открыта",
                    "Денежный ящик закрыт",
                    "Крышка ПУ закрыта",
                    "Батарея в норме",
                    kDashes,
                    "Завод. номер ПТК: 0123456",
                    "Версия ПТК: 258",
                    kDashes,
                    "Режим: регистрация",
                    "Подрежим: ожидание команды",
                    kDashes,
                    "Номер чека: 105",
                    "Номер закр. смены: 07",
                    "Продажа",
                    "Сумма чека: 1234,56",
                    "Полож. десятич. точки: 2",
                    kDashes,
                    "Номер порта ПТК: 1"};
  EXPECT_EQ(StateLines(StatePayload()), expected);
}

// One field changed: the line at `index` reads `line`.
struct FieldCase {
  const char* name;
  std::vector<std::pair<size_t, uint8_t>> bytes;  // answer position -> value
  size_t index;
  std::string line;
};

class DeviceStateField : public testing::TestWithParam<FieldCase> {};

TEST_P(DeviceStateField, Line) {
  const FieldCase& c = GetParam();
  std::vector<uint8_t> p = StatePayload();
  for (auto [pos, value] : c.bytes) p[pos - 1] = value;
  Lines lines = StateLines(p);
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[c.index], c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DeviceStateField,
    testing::Values(
        FieldCase{"CashierOneDigit", {{2, 0x05}}, 0, "Кассир: 5"},
        FieldCase{"CashierZero", {{2, 0x00}}, 0, "Кассир: 0"},
        FieldCase{
            "DateTwoDigitsEach", {{4, 0x99}, {5, 0x12}, {6, 0x31}}, 3, "Текущая  дата: 31/12/99"},
        FieldCase{"TimeZeros", {{7, 0x00}, {8, 0x00}, {9, 0x00}}, 4, "Текущее время: 00:00:00"},
        FieldCase{"FactoryNumberFull",
                  {{11, 0x12}, {12, 0x34}, {13, 0x56}, {14, 0x78}},
                  12,
                  "Завод. номер ПТК: 12345678"},
        FieldCase{"FactoryNumberZeros",
                  {{11, 0}, {12, 0}, {13, 0}, {14, 0}},
                  12,
                  "Завод. номер ПТК: 0000000"},
        FieldCase{"VersionMax", {{16, 0xFF}, {17, 0xFF}}, 13, "Версия ПТК: 65535"},
        FieldCase{"UnknownModeLine", {{18, 0x08}}, 15, " "},
        FieldCase{"UnknownSubmodeLine", {{18, 0x08}}, 16, " "},
        FieldCase{"UnknownSubmodeOfKnownMode", {{18, 0xF1}}, 15, " "},
        FieldCase{"ModeXReportPrinting", {{18, 0x22}}, 16, "Подрежим: печать отчета"},
        FieldCase{"ReceiptNumberHighByteZero", {{19, 0x00}, {20, 0x05}}, 18, "Номер чека: 05"},
        FieldCase{"ShiftNumberZero", {{21, 0x00}, {22, 0x00}}, 19, "Номер закр. смены: 00"},
        FieldCase{"ShiftNumber", {{21, 0x99}, {22, 0x99}}, 19, "Номер закр. смены: 9999"},
        FieldCase{"ReceiptClosed", {{23, 0}}, 20, "Чек закрыт"},
        FieldCase{"ReceiptReturn", {{23, 2}}, 20, "Возврат"},
        FieldCase{"ReceiptAnnul", {{23, 3}}, 20, "Аннулирование"},
        FieldCase{"ReceiptPurchase", {{23, 4}}, 20, "Покупка"},
        FieldCase{"ReceiptPurchaseReturn", {{23, 5}}, 20, "Возврат покупки"},
        FieldCase{"ReceiptPurchaseAnnul", {{23, 6}}, 20, "Аннулирование покупки"},
        FieldCase{"ReceiptStateUnknown", {{23, 7}}, 20, "Неизвестное состояние чека: 7"},
        FieldCase{"ReceiptStateByteMax", {{23, 0xFF}}, 20, "Неизвестное состояние чека: 255"},
        FieldCase{"SumZero", {{24, 0}, {25, 0}, {26, 0}, {27, 0}, {28, 0}}, 21, "Сумма чека: 0,00"},
        FieldCase{"SumKopecksOnly",
                  {{24, 0}, {25, 0}, {26, 0}, {27, 0}, {28, 0x07}},
                  21,
                  "Сумма чека: 0,07"},
        FieldCase{"SumMax",
                  {{24, 0x99}, {25, 0x99}, {26, 0x99}, {27, 0x99}, {28, 0x99}},
                  21,
                  "Сумма чека: 99999999,99"},
        FieldCase{"SumInnerZeros",
                  {{24, 0x10}, {25, 0x00}, {26, 0x00}, {27, 0x01}, {28, 0x00}},
                  21,
                  "Сумма чека: 10000001,00"},
        FieldCase{"DecimalPointIsPlainByte", {{29, 0x10}}, 22, "Полож. десятич. точки: 16"},
        FieldCase{"PortIsPlainByte", {{30, 0x12}}, 24, "Номер порта ПТК: 18"}),
    [](const testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

struct FlagCase {
  uint8_t flags;
  Lines lines;  // the five flag lines
};

TEST(ShowDeviceState, StatusFlags) {
  const FlagCase cases[] = {
      {0x00,
       {"ПТК не фискализирован", "Смена закрыта", "Денежный ящик закрыт", "Крышка ПУ закрыта",
        "Батарея в норме"}},
      {0x21,
       {"ПТК фискализирован", "Смена закрыта", "Денежный ящик закрыт", "Крышка ПУ открыта",
        "Батарея в норме"}},
      {0x02,
       {"ПТК не фискализирован", "Смена открыта", "Денежный ящик закрыт", "Крышка ПУ закрыта",
        "Батарея в норме"}},
      {0x04,
       {"ПТК не фискализирован", "Смена закрыта", "Денежный ящик открыт", "Крышка ПУ закрыта",
        "Батарея в норме"}},
      {0x80,
       {"ПТК не фискализирован", "Смена закрыта", "Денежный ящик закрыт", "Крышка ПУ закрыта",
        "Напряжение на батарее ниже нормы"}},
      // Bits 3, 4 and 6 are not shown.
      {0x58,
       {"ПТК не фискализирован", "Смена закрыта", "Денежный ящик закрыт", "Крышка ПУ закрыта",
        "Батарея в норме"}},
      {0xFF,
       {"ПТК фискализирован", "Смена открыта", "Денежный ящик открыт", "Крышка ПУ открыта",
        "Напряжение на батарее ниже нормы"}},
  };
  for (const FlagCase& c : cases) {
    std::vector<uint8_t> p = StatePayload();
    p[10 - 1] = c.flags;
    Lines lines = StateLines(p);
    Lines flagLines(lines.begin() + 6, lines.begin() + 11);
    EXPECT_EQ(flagLines, c.lines) << "flags " << int(c.flags);
  }
}

TEST(ShowDeviceState, NonDecimalNibblesFollowTheBcdValue) {
  std::vector<uint8_t> p = StatePayload();
  p[2 - 1] = 0xAB;  // 10 * 10 + 11
  p[6 - 1] = 0x0A;  // one "digit" of value 10: no leading zero added
  Lines lines = StateLines(p);
  EXPECT_EQ(lines[0], "Кассир: 111");
  EXPECT_EQ(lines[3], "Текущая  дата: 10/07/24");
}

// A short answer: positions past the payload read as zero; the answer's own ETX and
// check byte are never decoded as state data.
TEST(ShowDeviceState, ShortAnswerDecodesTheMissingTailAsZero) {
  Lines lines = StateLines({0x44, 0x12, 0x05});
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[0], "Кассир: 12");
  EXPECT_EQ(lines[1], "Номер ПТК в зале: 5");
  EXPECT_EQ(lines[3], "Текущая  дата: 00/00/00");  // not the ETX at [4]
  EXPECT_EQ(lines[6], "ПТК не фискализирован");
  EXPECT_EQ(lines[15], "Режим: выбор");
  EXPECT_EQ(lines[20], "Чек закрыт");
  EXPECT_EQ(lines[21], "Сумма чека: 0,00");
  EXPECT_EQ(lines[24], "Номер порта ПТК: 0");
}

TEST(ShowDeviceState, DegenerateLengthsReadNothingOutside) {
  std::array<uint8_t, kLinkBufferSize> full;
  full.fill(0x99);
  // Length 0, negative and past the buffer: no crash; a length beyond the buffer is
  // clamped to it.
  for (int length : {0, -5, 1, 3}) {
    Lines lines = ShowDeviceState(full, length);
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[0], "Кассир: 0") << length;
  }
  Lines lines = ShowDeviceState(full, 100000);
  EXPECT_EQ(lines[0], "Кассир: 99");
  std::array<uint8_t, 4> tiny{0x02, 0x44, 0x03, 0x47};
  EXPECT_EQ(ShowDeviceState(tiny, 55)[0], "Кассир: 3");  // clamped to the buffer end
  EXPECT_EQ(ShowDeviceState(std::span<const uint8_t>{}, 55).size(), 25u);
}

TEST(DeviceModeTable, FortyDistinctRowsWithTheirModeLine) {
  auto table = DeviceModeTable();
  ASSERT_EQ(table.size(), 40u);
  std::set<uint8_t> seen;
  const std::string_view modeLines[8] = {
      "Режим: выбор",         "Режим: регистрация",      "Режим: Х-отчеты",
      "Режим: Z-отчеты",      "Режим: программирование", "Режим: доступ к ФП",
      "Режим: доступ к ЭКЛЗ", "Режим: дополнительный"};
  for (const DeviceModeEntry& e : table) {
    EXPECT_TRUE(seen.insert(e.value).second) << int(e.value);
    ASSERT_LT(e.value & 0x0F, 8);
    EXPECT_EQ(e.modeLine, modeLines[e.value & 0x0F]) << int(e.value);
    EXPECT_TRUE(e.submodeLine.starts_with("Подрежим: ")) << int(e.value);
  }
  // The X of the X reports is the Cyrillic letter, the Z of the Z reports the Latin one.
  EXPECT_EQ(LookupDeviceMode(0x02).modeLine, "Режим: \xD0\xA5-отчеты");
  EXPECT_EQ(LookupDeviceMode(0x03).modeLine, "Режим: Z-отчеты");
  EXPECT_EQ(LookupDeviceMode(0xE7).submodeLine, "Подрежим: блокир. при ошибке ЭКЛЗ");
  EXPECT_EQ(LookupDeviceMode(0x41).submodeLine, "Подрежим: приём платежей");
}

TEST(DeviceModeTable, EveryOtherByteGivesTwoBlankLines) {
  std::set<uint8_t> known;
  for (const DeviceModeEntry& e : DeviceModeTable()) known.insert(e.value);
  for (int v = 0; v < 256; ++v) {
    DeviceModeEntry e = LookupDeviceMode(static_cast<uint8_t>(v));
    if (known.count(static_cast<uint8_t>(v))) continue;
    EXPECT_EQ(e.modeLine, " ") << v;
    EXPECT_EQ(e.submodeLine, " ") << v;
  }
}

TEST(StateCode, DecodeEveryFlag) {
  struct Case {
    uint8_t mode, flags;
    StateCode expected;
  };
  const Case cases[] = {
      {0x00, 0x00, {0x00, 0, 0, 0, 0}}, {0x23, 0x01, {0x23, 1, 0, 0, 0}},
      {0x05, 0x02, {0x05, 0, 1, 0, 0}}, {0x16, 0x04, {0x16, 0, 0, 1, 0}},
      {0x08, 0x08, {0x08, 0, 0, 0, 1}}, {0xFF, 0xF0, {0xFF, 0, 0, 0, 0}},
      {0x12, 0x0F, {0x12, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    AnswerBytes a = MakeAnswer({0x45, c.mode, c.flags});
    StateCode s = DecodeStateCode(a.buffer, a.length);
    EXPECT_EQ(s.mode, c.expected.mode);
    EXPECT_EQ(s.noPaper, c.expected.noPaper) << int(c.flags);
    EXPECT_EQ(s.noPrinterLink, c.expected.noPrinterLink) << int(c.flags);
    EXPECT_EQ(s.coverOpen, c.expected.coverOpen) << int(c.flags);
    EXPECT_EQ(s.noRoll, c.expected.noRoll) << int(c.flags);
  }
  // A two-byte payload has no flags byte: the ETX after it is not read as flags.
  AnswerBytes a = MakeAnswer({0x45, 0x03});
  StateCode s = DecodeStateCode(a.buffer, a.length);
  EXPECT_EQ(s.mode, 0x03);
  EXPECT_EQ(s.noPaper + s.noPrinterLink + s.coverOpen + s.noRoll, 0);
}

TEST(ShowStateCode, Lines) {
  AnswerBytes a = MakeAnswer({0x45, 0x33, 0x05});
  EXPECT_EQ(ShowStateCode(a.buffer, a.length),
            (Lines{"Режим: Z-отчеты", "Подрежим: подтв. гашения", kDashes, "Бумаги в принтере нет",
                   "Связь с принтером есть", "Крышка принтера открыта", "Рулон бумаги есть"}));
  a = MakeAnswer({0x45, 0x08, 0x0A});
  EXPECT_EQ(ShowStateCode(a.buffer, a.length),
            (Lines{" ", " ", kDashes, "Бумага в принтере есть", "Связи с принтером нет",
                   "Крышка принтера закрыта", "Нет рулона бумаги"}));
}

std::vector<uint8_t> TypePayload(std::vector<uint8_t> name) {
  std::vector<uint8_t> p = {
      0x00,                          // [1] result code
      0x00, 0x00, 0x00, 0x00, 0x00,  // [2..6] identification
      0x02, 0x01,                    // [7..8] version 258
      0x00,                          // [9] language table
      0x05, 0x00,                    // [10..11] subversion 5
  };
  for (uint8_t b : name) p.push_back(b);
  return p;
}

TEST(ShowDeviceType, Lines) {
  // "ПТК-Ф 2" in the register's codes.
  AnswerBytes a = MakeAnswer(TypePayload({0x8F, 0x92, 0x8A, 0x2D, 0x94, 0x20, 0x32}));
  EXPECT_EQ(
      ShowDeviceType(a.buffer, a.length),
      (Lines{"Версия: 258", "Подверсия: 5", "Языковая таблица: русская", "Название: ПТК-Ф 2"}));
}

TEST(ShowDeviceType, LanguageTables) {
  const std::pair<int, const char*> cases[] = {
      {0, "русская"},  {1, "армянская"},        {12, "азербайджан."},     {19, "английская"},
      {20, "финская"}, {21, "зарезервировано"}, {255, "зарезервировано"},
  };
  for (auto [number, name] : cases) {
    std::vector<uint8_t> p = TypePayload({});
    p[9 - 1] = static_cast<uint8_t>(number);
    AnswerBytes a = MakeAnswer(p);
    EXPECT_EQ(ShowDeviceType(a.buffer, a.length)[2], std::string("Языковая таблица: ") + name);
  }
  EXPECT_EQ(LanguageTableName(-1), "зарезервировано");
}

TEST(ShowDeviceType, NameBytes) {
  struct Case {
    std::vector<uint8_t> bytes;
    std::string text;
  };
  const Case cases[] = {
      {{}, ""},
      {{0xF0, 0xF1, 0xFC}, "Ёё№"},
      {{0xA0, 0xAF, 0xE0, 0xEF}, "апря"},
      {{'A', 'z', '~'}, "Az~"},            // Latin letters are not in the table: unchanged
      {{0xB0, 0xC0}, "\xC2\xB0\xD0\x90"},  // outside the table: their Windows-1251 characters
      {{0x01, 0x0A, 0x0D, 0x7F}, "????"},  // control bytes would break the line
      {{'1', 0x00, '2'}, "1?2"},
  };
  for (const Case& c : cases) {
    AnswerBytes a = MakeAnswer(TypePayload(c.bytes));
    EXPECT_EQ(ShowDeviceType(a.buffer, a.length)[3], "Название: " + c.text);
  }
}

TEST(ShowDeviceType, ShortAnswerStopsAtThePayload) {
  AnswerBytes a = MakeAnswer({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00});
  EXPECT_EQ(ShowDeviceType(a.buffer, a.length),
            (Lines{"Версия: 16", "Подверсия: 0", "Языковая таблица: русская", "Название: "}));
}

}  // namespace
}  // namespace ptk

// The three queries on the line: their frames and their exchange arguments.

namespace ptk {
namespace {

class StateQueryTest : public test::ShellLinkTest {};

TEST_F(StateQueryTest, FramesAndDelay) {
  reg.answer = {0x44, 0x01};
  ASSERT_EQ(QueryDeviceState(link), 1);
  reg.answer = {0x45, 0x02, 0x08};
  ASSERT_EQ(QueryStateCode(link), 1);
  reg.answer = {0x00, 0x01};
  ASSERT_EQ(QueryDeviceType(link), 1);
  ASSERT_EQ(reg.commands.size(), 3u);
  EXPECT_EQ(reg.commands[0], (std::vector<uint8_t>{0x12, 0x34, 0x3F}));
  EXPECT_EQ(reg.commands[1], (std::vector<uint8_t>{0x12, 0x34, 0x45}));
  EXPECT_EQ(reg.commands[2], (std::vector<uint8_t>{0x12, 0x34, 0xA5}));
  // Each waits 200 ms after acknowledging the register's ENQ.
  for (int exchange = 0; exchange < 3; ++exchange) {
    long gap = TickOfWrite(0x06, 2 * exchange + 1) - TickOfWrite(0x06, 2 * exchange);
    EXPECT_GE(gap, 200) << exchange;
    EXPECT_LT(gap, 210) << exchange;
  }
}

TEST_F(StateQueryTest, StateCodeIsNotDecodedAsAResultCode) {
  // The mode byte sits where a result code would be: 0x23 must not be shown as an error.
  reg.answer = {0x45, 0x23, 0x08};
  ASSERT_EQ(QueryStateCode(link), 1);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.result, " 00 - Ошибок нет. Команда выполнена.");
  StateCode s = DecodeStateCode(link);
  EXPECT_EQ(s.mode, 0x23);
  EXPECT_EQ(s.noRoll, 1);
  EXPECT_EQ(s.noPaper + s.noPrinterLink + s.coverOpen, 0);
  EXPECT_EQ(LastStateCode.mode, 0x23);
}

TEST_F(StateQueryTest, DeviceStateSucceedsOnTheMarkerAndTypeOnItsFirstByte) {
  reg.answer = {0x44, 0x8C};  // 'D': success whatever follows
  EXPECT_EQ(QueryDeviceState(link), 1);
  reg.answer = {0x55, 0x8C};  // no 'D': [2] is the result code
  EXPECT_EQ(QueryDeviceState(link), kExchangeDeviceError);
  reg.answer = {0x8C, 0x00};  // 0xA5: the first payload byte is the result code
  EXPECT_EQ(QueryDeviceType(link), kExchangeDeviceError);
  EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(StateQueryTest, SilentRegister) {
  reg.enqDefault = test::Reply::Silent;
  EXPECT_EQ(QueryStateCode(link), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Нет связи!");
}

}  // namespace
}  // namespace ptk
