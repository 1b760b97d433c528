// Table fields: the value encodings, the header and footer line format, the stop test,
// both routes against a register, the reading order of all tables and the dump lines.
#include "core/programming/table_fields.h"

#include <gtest/gtest.h>

#include "core/link/encoding.h"
#include "core/programming/field_catalogue.h"
#include "core/programming/line_format.h"
#include "core/programming/table_dump.h"
#include "core/shell/user_abort.h"
#include "emulator/virtual_register.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"
#include "virtual_link_fixture.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using test::FakeClock;
using test::RecordingUi;
using test::ScriptedPort;
using test::ScriptedRegister;

Bytes Cyr(const char* text) {
  return Utf8ToCp866(text);
}

TEST(FieldEncoding, ValuesBothWays) {
  const CatalogueField& number = *FindCatalogueField(2, 1, 1);
  const CatalogueField& commPassword = *FindCatalogueField(2, 1, 23);
  const CatalogueField& userPassword = *FindCatalogueField(3, 7, 1);
  const CatalogueField& tax = *FindCatalogueField(8, 1, 1);
  const CatalogueField& flag = *FindCatalogueField(2, 1, 3);
  struct Row {
    const CatalogueField* field;
    const char* text;  // as written
    Bytes bytes;
    const char* read;  // as read back
  } rows[] = {
      {&number, "12", {0x12}, "12"},
      {&number, "7", {0x07}, "07"},                 // left-padded to two digits
      {&commPassword, "30", {0x00, 0x30}, "0030"},  // and to four
      {&userPassword, "555", {0x00, 0x00, 0x05, 0x55}, "00000555"},
      {&tax, "18", {0x18, 0x00}, "18,00"},
      {&tax, "7,5", {0x07, 0x50}, "7,50"},
      {&tax, "0.29", {0x00, 0x29}, "0,29"},  // times 100 exactly, no 28,99
      {&tax, "99,99", {0x99, 0x99}, "99,99"},
      {&tax, "", {0x00, 0x00}, "0,00"},
      {&flag, "1", {0x01}, "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(TextToFieldValue(*row.field, row.text), row.bytes);
    EXPECT_EQ(FieldValueToText(*row.field, row.bytes), row.read);
  }
  EXPECT_EQ(FieldValueToText(flag, Bytes{0x05}), "1");  // any non-zero reads as on
  for (const char* bad : {"123", "1,234", "x", "1,2,3"}) {
    EXPECT_FALSE(EncodeTaxRate(bad).has_value()) << bad;
  }
  EXPECT_FALSE(TextToFieldValue(flag, "2").has_value());
  EXPECT_FALSE(TextToFieldValue(number, "123").has_value());
  EXPECT_FALSE(TextToFieldValue(*FindCatalogueField(2, 1, 11), "5").has_value());
}

TEST(FieldEncoding, ClassicTextAndFonts) {
  EXPECT_EQ(EncodeClassicText(""), Bytes(42, 0x00));
  Bytes milk = {0x8C, 0x8E, 0x8B, 0x8E};  // М О Л О in code page 866
  milk.resize(42, 0x20);                  // then 38 blanks
  EXPECT_EQ(EncodeClassicText("МОЛО"), milk);
  EXPECT_EQ(EncodeClassicText(std::string(50, 'A')), Bytes(42, 'A'));  // cut to 42
  // Reading: 32 bytes at most, ending at the first zero byte, trailing blanks kept.
  EXPECT_EQ(DecodeClassicText(milk), "МОЛО" + std::string(28, ' '));
  EXPECT_EQ(DecodeClassicText(Bytes{0x80, 0x20, 0x00, 0x81}), "А ");
  EXPECT_EQ(FontItemForValue(1, 4), 0);
  EXPECT_EQ(FontItemForValue(4, 4), 3);
  EXPECT_EQ(FontItemForValue(9, 4), 0);   // beyond the list: the first font
  EXPECT_EQ(FontItemForValue(0, 4), -1);  // nothing selected
  EXPECT_EQ(FontNames(0).size(), 4u);
}

TEST(ReceiptLineFormat, TextToBytes) {
  struct Row {
    const char* text;
    bool eights;
    Bytes bytes;
    int error;
  } rows[] = {
      {"a~b\\{", false, {0x61, 0x09, 0x62, 0x7B}, 0},      // the tilde and escape rules
      {"\\\\\\~", false, {0x5C, 0x7E}, 0},                 // escaped "\" and "~"
      {"{IMG 3:80}", false, {0x0A, 0x03, 0x00, 0x50}, 0},  // picture 3, offset 80
      {"{IMG 3:80}", true, {0x0A, 0x03, 0x00, 0x0A}, 0},   // in units of 8 dots
      {"{IMG 3:7}", true, {0x0A, 0x03, 0x00, 0x00}, 0},    // integer division
      {"x{IMG\t260, 1000;}y", false, {'x', 0x0A, 0x04, 0x03, 0xE8, 'y'}, 0},  // low byte
      {"{IMG 1}", false, {0x0A, 0x01, 0x00, 0x00}, 0},  // offset 0 when absent
      {"Чек", false, Cyr("Чек"), 0},
      {"", false, {}, 0},
      {"abc~", false, {}, 160},       // "~" at the end
      {"abc\\", false, {}, 160},      // "\" at the end
      {"{IMG 3:80", false, {}, 160},  // no "}"
      {"{PIC 3}", false, {}, 160},    // another first word
      {"{img 3}", false, {}, 160},
      {"{IMG}", false, {}, 160},  // no number
      {"{IMG x}", false, {}, 160},
      {"{IMG 3:70000}", false, {}, 160},  // beyond 16 bits
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    Bytes out;
    EXPECT_EQ(ReceiptLineToBytes(row.text, row.eights, out), row.error);
    if (row.error == 0) {
      EXPECT_EQ(out, row.bytes);
    }
  }
  // Cut at 90 bytes, a picture tag after the text included.
  Bytes out;
  EXPECT_EQ(ReceiptLineToBytes(std::string(88, 'x') + "{IMG 1:0}z", false, out), 0);
  Bytes cut(88, 'x');
  cut.push_back(0x0A);  // the picture record's first two bytes fit
  cut.push_back(0x01);
  EXPECT_EQ(out, cut);
}

TEST(ReceiptLineFormat, BytesToText) {
  struct Row {
    Bytes bytes;
    const char* text;
  } rows[] = {
      {{0x61, 0x09, 0x62, 0x7B}, "a~b\\{"},
      {{0x5C, 0x7E, 0x09, 0x7E}, "\\\\\\~~\\~"},         // the byte after 0x09 by the same rules
      {{0x0A, 0x03, 0x00, 0x0A}, "{IMG 3:10}"},          // the offset as stored
      {{0x0A, 0x00, 0x01, 0x00, 0x41}, "{IMG 0:256}A"},  // zero bytes inside a record
      {{0x41, 0x00, 0x42}, "A"},                         // ends at the first zero byte
      {{0x41, 0x0A, 0x01}, "A"},                         // an incomplete record is dropped
      {Cyr("Чек"), "Чек"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ReceiptLineToText(row.bytes), row.text) << row.text;
  }
  EXPECT_EQ(ReceiptLineToText(Bytes(95, '{')).size(), 90u);
  EXPECT_EQ(PictureTag(3, 80), "{IMG 3:80}");
}

// A window layer whose pending messages may hold a press of "Прервать": processing them
// sets the stop flag.
class PumpUi final : public UserInterface {
 public:
  Answer ShowBox(std::string_view caption, std::string_view text, Icon, Buttons) override {
    boxes.emplace_back(caption, text);
    return Answer::Ok;
  }
  std::optional<std::string> AskFile(const FileRequest&) override { return std::nullopt; }
  void SetResult(std::string_view) override {}
  std::string Result() const override { return {}; }
  bool PumpMessages() override {
    ++pumps;
    if (press) *press = true;
    return !quitting;
  }
  std::vector<std::pair<std::string, std::string>> boxes;
  bool* press = nullptr;
  bool quitting = false;
  int pumps = 0;
};

TEST(CheckUserAbort, PumpsEveryTimeThenTestsTheFlag) {
  struct Row {
    bool stop;
    bool pressDuringPump;
    RunningOperation running;
    bool quitting;
    int result;
    bool box;
    bool firmwareHook;
  } rows[] = {
      {false, false, RunningOperation::TablesRead, false, 0, false, false},
      {true, false, RunningOperation::TablesRead, false, 1, true, false},
      {false, true, RunningOperation::RegisterRead, false, 1, true, false},  // a press seen now
      {true, false, RunningOperation::Firmware, false, 1, true, true},
      {false, false, RunningOperation::Firmware, true, 1, false, false},  // quitting
  };
  for (const Row& row : rows) {
    PumpUi ui;
    ui.quitting = row.quitting;
    UserAbort abort;
    abort.stopRequested = row.stop;
    abort.running = row.running;
    bool hook = false;
    abort.onFirmwareStop = [&hook] { hook = true; };
    if (row.pressDuringPump) ui.press = &abort.stopRequested;
    EXPECT_EQ(CheckUserAbort(abort, ui), row.result);
    EXPECT_EQ(ui.pumps, 1);
    ASSERT_EQ(ui.boxes.size(), row.box ? 1u : 0u);
    if (row.box) {
      EXPECT_EQ(ui.boxes[0].first, "Информация");
      EXPECT_EQ(ui.boxes[0].second, "Прервано пользователем!");
    }
    EXPECT_EQ(hook, row.firmwareHook);
    EXPECT_EQ(abort.stopRequested, row.stop || row.pressDuringPump);  // never cleared here
  }
}

// The program's link against a virtual register on the fake clock.
class TableLinkTest : public test::VirtualLinkTest {};

TEST_F(TableLinkTest, ClassicReadStopsBeforeSendingAndStepsAfterEveryExchange) {
  UserAbort abort;
  int steps = 0;
  auto step = [&steps] { ++steps; };
  EXPECT_EQ(ReadTableField(link, abort, 2, 1, 23, step), 1);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], (Bytes{0x73, 0x91, 0x46, 0x02, 0x00, 0x01, 0x17}));  // 'F' 2 0 1 23
  const std::span<const uint8_t> data = ClassicAnswerData(link);
  EXPECT_EQ(Bytes(data.begin(), data.end()), (Bytes{0x73, 0x91}));
  EXPECT_EQ(steps, 1);

  EXPECT_EQ(ReadTableField(link, abort, 5, 1, 1, step), 4);  // refused: 0x91
  EXPECT_EQ(ui.boxes.back().text, " 91 - Неверный номер таблицы.");
  EXPECT_EQ(steps, 2);  // whatever the outcome

  abort.stopRequested = true;
  EXPECT_EQ(ReadTableField(link, abort, 2, 1, 1, step), kReadStopped);
  EXPECT_EQ(commands.size(), 2u);  // nothing sent
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(ui.boxes.back().text, "Прервано пользователем!");
}

TEST_F(TableLinkTest, ExchangeArgumentsPerTable) {
  struct Row {
    bool write;
    uint8_t table;
    int answerLength, allowShort;
    uint32_t t6;
  } rows[] = {
      {false, 3, 80, 1, 10000}, {false, 6, 80, 1, 10000}, {false, 7, 80, 1, 10000},  // texts
      {false, 2, 15, 1, 10000}, {false, 4, 15, 1, 10000}, {false, 8, 15, 1, 10000},
      {true, 4, 15, 1, 90000},  // discounts: a short answer is taken
      {true, 8, 6, 0, 90000},   {true, 2, 6, 0, 90000},
  };
  const uint8_t value[] = {0x01};
  for (const Row& r : rows) {
    const Exchange e = r.write ? WriteFieldCommand(link, r.table, 1, 1, value)
                               : ReadFieldCommand(link, r.table, 1, 1);
    EXPECT_EQ(e.answerLength, r.answerLength) << int{r.table} << " " << r.write;
    EXPECT_EQ(e.allowShortAnswer, r.allowShort) << int{r.table} << " " << r.write;
    EXPECT_EQ(e.timeouts.t6, r.t6) << int{r.table} << " " << r.write;
    EXPECT_EQ(e.delayMs, 100u);
    EXPECT_EQ(e.frame[2], r.write ? 0x50 : 0x46);  // after the two password bytes
  }
}

TEST_F(TableLinkTest, BothRoutesSendTheSamePassword) {
  struct Row {
    const char* password;
    Bytes bytes;
  } rows[] = {
      {"7391", {0x73, 0x91}}, {"30", {0x00, 0x30}}, {"", {0x00, 0x00}}, {"12a4", {0x00, 0x12}}};
  for (const Row& row : rows) {
    settings.AccessPassword = row.password;
    Bytes classic = link.CommandFrame(0x46);
    EXPECT_EQ(Bytes(classic.begin(), classic.begin() + 2), row.bytes) << row.password;
    commands.clear();
    CompactAnswer answer;
    ReadFieldCompact(link, 2, 1, 1, answer);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(Bytes(commands[0].begin(), commands[0].begin() + 2), row.bytes) << row.password;
  }
}

TEST_F(TableLinkTest, ModelIdentificationWithAVersionByte) {
  // The register's device-type answer: result code, then identification data whose first
  // byte is not zero.
  ModelIdentity id;
  EXPECT_EQ(IdentifyModel(port, settings, id), direct_error::kOk);
  EXPECT_EQ(id.modelCode, kModelCodeThird);
  EXPECT_EQ(id.caps.attributesTable, 1u);
}

TEST_F(TableLinkTest, ReceiptLinesThroughTheCompactRoute) {
  virtualRegister.state().mode = 4;
  EXPECT_EQ(WriteReceiptLine(link, ReceiptText::Footer, 9, "{IMG 3:80}~*", true), 0);
  EXPECT_EQ(commands.back(), (Bytes{0x73, 0x91, 0x50, 0x06, 0x00, 0x14, 0x01,  // 'P' 6 20 1
                                    0x0A, 0x03, 0x00, 0x0A, 0x09, 0x2A}));     // picture, ~*
  std::string text;
  EXPECT_EQ(ReadReceiptLine(link, ReceiptText::Footer, 9, text), 0);
  EXPECT_EQ(text, "{IMG 3:10}~*");
  EXPECT_EQ(WriteReceiptLine(link, ReceiptText::Header, 0, "", false), 0);
  EXPECT_EQ(commands.back(), (Bytes{0x73, 0x91, 0x50, 0x06, 0x00, 0x01, 0x01, 0x00}));

  const size_t sent = commands.size();
  EXPECT_EQ(WriteReceiptLine(link, ReceiptText::Header, 10, "x", false), 160);
  EXPECT_EQ(ReadReceiptLine(link, ReceiptText::Header, -1, text), 160);
  EXPECT_EQ(WriteReceiptLine(link, ReceiptText::Header, 0, "x\\", false), 160);
  EXPECT_EQ(WriteReceiptLine(link, ReceiptText::Header, 0, std::string(84, 'x'), false), 257);
  EXPECT_EQ(commands.size(), sent);  // none of them sent anything
  EXPECT_EQ(WriteReceiptLine(link, ReceiptText::Header, 0, std::string(81, 'x'), false),
            static_cast<int>(0x80000014u));  // the register keeps 80 bytes at most
}

// (table, row, field) of every command the register received.
std::vector<std::tuple<int, int, int>> Addresses(const std::vector<Bytes>& commands) {
  std::vector<std::tuple<int, int, int>> out;
  for (const Bytes& c : commands) out.emplace_back(c[3], (c[4] << 8) | c[5], c[6]);
  return out;
}

std::vector<std::tuple<int, int, int>> ExpectedOrder(bool third) {
  std::vector<std::tuple<int, int, int>> order;
  for (int f : {1, 3, 4, 5, 11, 20, 28, 46, 22}) order.emplace_back(2, 1, f);
  for (int field : {1, 2})
    for (int row = 1; row <= 30; ++row) order.emplace_back(3, row, field);
  order.emplace_back(4, 1, 1);
  order.emplace_back(4, 2, 1);
  for (int row : {1, 2, 3, 4, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20})
    order.emplace_back(6, row, 1);
  for (int table : {7, 8})
    for (int row = 1; row <= 16; ++row) order.emplace_back(table, row, 1);
  for (int f : {15, 19, 24, 25, 26, 29, 47, 34, 51, 43}) order.emplace_back(2, 1, f);
  if (third) {
    for (int row = 1; row <= 100; ++row) order.emplace_back(15, row, 1);
    for (int f : {38, 37, 6, 7}) order.emplace_back(2, 1, f);
  }
  return order;
}

TEST_F(TableLinkTest, ReadAllTablesInTheWindowsOrder) {
  for (uint16_t model : {kModelCodeThird, kModelCodeFirst}) {
    SCOPED_TRACE(model);
    UseModel(model);
    commands.clear();
    UserAbort abort;
    abort.stopRequested = true;  // left over from an earlier operation: cleared at the start
    int steps = 0;
    const TablesReadResult r =
        ReadAllTables(link, abort, CapabilitiesForModel(model), [&steps] { ++steps; });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(abort.running, RunningOperation::TablesRead);
    EXPECT_EQ(Addresses(commands), ExpectedOrder(model == kModelCodeThird));
    EXPECT_EQ(r.values.size(), commands.size());
    EXPECT_EQ(steps, 113 + 5 + 5);  // classic reads, the five marks, the five optional steps
    const FieldValue* tax = r.Find(8, 1, 1);
    ASSERT_NE(tax, nullptr);
    EXPECT_EQ(tax->value, (Bytes{0x18, 0x00}));
    const FieldValue* header = r.Find(6, 1, 1);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->route, FieldRoute::Compact);
    EXPECT_EQ(ReceiptLineToText(header->value), "             ВИРТУАЛЬНЫЙ ПТК");
  }
}

TEST_F(TableLinkTest, ReadAllTablesStopsAtTheFirstFailure) {
  // A compact failure is shown with its own message and ends the reading.
  virtualRegister.faults().printerFlags = 0;
  UseModel(kModelCodeFirst);
  UserAbort abort;
  TablesReadResult r = ReadAllTables(link, abort, CapabilitiesForModel(kModelCodeThird));
  // The first model has no attributes table: its first row is refused with 0x91.
  EXPECT_TRUE(r.compactError);
  EXPECT_EQ(r.status, static_cast<int>(0x80000091u));
  EXPECT_EQ(std::get<0>(Addresses(commands).back()), 15);
  EXPECT_EQ(ui.boxes.back().text, " 91 - Неверный номер таблицы.");
}

TEST(TableDump, LinesBothWays) {
  struct Row {
    DumpEntry entry;
    const char* line;
  } rows[] = {
      {{2, 1, 23, {0x73, 0x91}}, "2 1 23 = 7391"},
      {{2, 1, 3, {0x02}}, "2 1 3 = [02]"},  // no readable form gives it back
      {{8, 4, 1, {0x07, 0x50}}, "8 4 1 = 7,50"},
      {{7, 1, 1, EncodeClassicText("ХЛЕБ \"Бородинский\"")},
       "7 1 1 = \"ХЛЕБ \\\"Бородинский\\\"\""},
      {{7, 2, 1, EncodeClassicText("")}, "7 2 1 = \"\""},
      {{6, 1, 1, {0x5C, 0x0A, 0x03, 0x00, 0x0A}}, "6 1 1 = \"\\\\\\\\{IMG 3:10}\""},
      {{6, 12, 1, {0x00}}, "6 12 1 = \"\""},
      {{6, 2, 1, {0x09, 0x5C}}, "6 2 1 = [09 5C]"},  // "~\\" would not read back
      {{15, 1, 1, Cyr("ИНН\x01")}, "15 1 1 = \"ИНН\\x01\""},
  };
  for (Row& row : rows) {
    if (row.entry.table == 15) row.entry.value.resize(24, 0x00);
    EXPECT_EQ(FormatDumpLine(row.entry), row.line);
    DumpEntry parsed;
    std::string error;
    ASSERT_EQ(ParseDumpLine(row.line, parsed, error), DumpLine::Entry) << row.line << error;
    EXPECT_EQ(parsed, row.entry) << row.line;
  }
  DumpEntry e;
  std::string error;
  EXPECT_EQ(ParseDumpLine("  # comment", e, error), DumpLine::Blank);
  EXPECT_EQ(ParseDumpLine("", e, error), DumpLine::Blank);
  for (const char* bad : {"2 1 12 = 1", "2 1 = 1", "2 1 3 4 = 1", "2 1 3 = 2", "7 1 1 = ХЛЕБ",
                          "7 1 1 = \"a\\q\"", "2 1 3 = [0]", "2 1 3 1", "300 1 1 = 1"}) {
    EXPECT_EQ(ParseDumpLine(bad, e, error), DumpLine::Error) << bad;
  }
}

}  // namespace
}  // namespace ptk
