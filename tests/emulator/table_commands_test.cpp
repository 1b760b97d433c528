// The register's table commands: which fields exist on which model, the refusals, the
// effects of a write (password, mode entry, receipt texts on the tape) and the state file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/link/encoding.h"
#include "core/programming/field_catalogue.h"
#include "emulator/state_file.h"
#include "emulator/virtual_register.h"
#include "support/fake_clock.h"

namespace ptk::emu {
namespace {

using Bytes = std::vector<uint8_t>;

class TableCommandTest : public ::testing::Test {
 protected:
  Bytes Run(VirtualRegister& r, uint8_t code, Bytes params, Bytes password = {0x73, 0x91}) {
    Bytes payload = password;
    payload.push_back(code);
    payload.insert(payload.end(), params.begin(), params.end());
    return r.Execute(payload).payload;
  }
  // table, row (high, low), field, value
  static Bytes Address(int table, int row, int field, Bytes value = {}) {
    Bytes p = {static_cast<uint8_t>(table), static_cast<uint8_t>(row >> 8),
               static_cast<uint8_t>(row & 0xFF), static_cast<uint8_t>(field)};
    p.insert(p.end(), value.begin(), value.end());
    return p;
  }
  Bytes Read(VirtualRegister& r, int table, int row, int field) {
    return Run(r, 0x46, Address(table, row, field));
  }
  uint8_t Write(VirtualRegister& r, int table, int row, int field, Bytes value) {
    return Run(r, 0x50, Address(table, row, field, std::move(value))).at(1);
  }
  uint8_t Enter(VirtualRegister& r, int mode, const std::string& password8) {
    Bytes p = {static_cast<uint8_t>(mode)};
    const Bytes packed = PackBcd(password8);
    p.insert(p.end(), packed.begin(), packed.end());
    Run(r, 0x52, {});
    return Run(r, 0x56, p).at(1);
  }

  test::FakeClock clock;
  VirtualRegister third{clock, kModelCodeThird};
  VirtualRegister first{clock, kModelCodeFirst};
};

TEST_F(TableCommandTest, EveryCatalogueFieldReadsOnTheModelsThatHaveIt) {
  for (VirtualRegister* r : {&third, &first}) {
    const ModelCapabilities& caps = CapabilitiesForModel(r->state().model);
    for (const CatalogueField& f : FieldCatalogue()) {
      for (int row : {int{f.firstRow}, int{f.lastRow}}) {
        SCOPED_TRACE(std::to_string(f.table) + " " + std::to_string(row) + " " +
                     std::to_string(f.field) + " model " + std::to_string(r->state().model));
        const Bytes a = Read(*r, f.table, row, f.field);
        if (!FieldPresent(f, caps)) {
          EXPECT_EQ(a[1], f.table == kAttributesTable ? 0x91 : 0x93);
          continue;
        }
        ASSERT_EQ(a[1], 0x00);
        // The stored value is one the program's encoding reads back to the same bytes.
        const Bytes value(a.begin() + 2, a.end());
        const auto back = TextToFieldValue(f, FieldValueToText(f, value));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, value);
      }
    }
  }
}

TEST_F(TableCommandTest, Refusals) {
  ASSERT_EQ(Enter(third, 4, "00000030"), 0x00);
  struct Row {
    const char* name;
    uint8_t code;
    Bytes params;
    uint8_t result;
  } rows[] = {
      {"unknown table", 0x46, Address(5, 1, 1), 0x91},
      {"row 0 of the settings", 0x46, Address(2, 0, 1), 0x92},
      {"row 2 of the settings", 0x46, Address(2, 2, 1), 0x92},
      {"user row 31", 0x46, Address(3, 31, 1), 0x92},
      {"row between header and footer", 0x46, Address(6, 5, 1), 0x92},
      {"attribute row 101", 0x46, Address(15, 101, 1), 0x92},
      {"row high byte", 0x46, Address(7, 0x0101, 1), 0x92},
      {"field 12 (no such setting)", 0x46, Address(2, 1, 12), 0x93},
      {"user field 3", 0x50, Address(3, 1, 3, {0x00}), 0x93},
      {"address cut short", 0x46, {2, 0, 1}, 0x14},
      {"flag value 2", 0x50, Address(2, 1, 3, {0x02}), 0x13},
      {"tax type 5", 0x50, Address(2, 1, 11, {0x05}), 0x13},
      {"blank lines 11", 0x50, Address(2, 1, 7, {0x0B}), 0x13},
      {"font 0", 0x50, Address(2, 1, 34, {0x00}), 0x13},
      {"discounts 4", 0x50, Address(4, 1, 1, {0x04}), 0x13},
      {"password not packed", 0x50, Address(3, 1, 1, {0x00, 0x00, 0x00, 0x0A}), 0x13},
      {"password of 3 bytes", 0x50, Address(3, 1, 1, {0x00, 0x00, 0x01}), 0x14},
      {"flag of 2 bytes", 0x50, Address(2, 1, 3, {0x01, 0x00}), 0x14},
      {"name of 43 bytes", 0x50, Address(7, 1, 1, Bytes(43, 0x41)), 0x14},
      {"attribute of 25 bytes", 0x50, Address(15, 1, 1, Bytes(25, 0x41)), 0x14},
      {"header line of 81 bytes", 0x50, Address(6, 1, 1, Bytes(81, 0x41)), 0x14},
      {"tax 0x1A 0x00", 0x50, Address(8, 1, 1, {0x1A, 0x00}), 0x13},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Run(third, row.code, row.params).at(1), row.result) << row.name;
  }
  EXPECT_EQ(Read(first, 15, 1, 1)[1], 0x91);  // no attributes table on the first model
  EXPECT_EQ(Read(first, 2, 1, 40)[1], 0x93);  // nor its print buffer setting
}

TEST_F(TableCommandTest, ReadsInEveryModeWritesInProgrammingModeOnly) {
  ASSERT_EQ(Enter(third, 1, "00000001"), 0x00);
  const Bytes name = Read(third, 15, 3, 1);
  ASSERT_EQ(name[1], 0x00);
  EXPECT_EQ(name.size(), 2 + kAttributeNameWidth);
  EXPECT_EQ(Cp866ToUtf8(Bytes(name.begin() + 2, name.begin() + 16)), "НОМЕР ДОГОВОРА");
  EXPECT_EQ(Write(third, 7, 1, 1, EncodeClassicText("ХЛЕБ")), 0x66);
  ASSERT_EQ(Enter(third, 4, "00000030"), 0x00);
  EXPECT_EQ(Write(third, 7, 1, 1, EncodeClassicText("ХЛЕБ")), 0x00);
  EXPECT_EQ(Write(third, 15, 3, 1, Utf8ToCp866("ИНН")), 0x00);  // short: kept zero-padded
  EXPECT_EQ(Read(third, 15, 3, 1), (Bytes{0x55, 0x00, 0x88, 0x8D, 0x8D, 0, 0, 0, 0, 0, 0, 0, 0,
                                          0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0}));
  Run(third, 0x52, {});
  const Bytes section = Read(third, 7, 1, 1);
  EXPECT_EQ(DecodeClassicText(Bytes(section.begin() + 2, section.end())),
            "ХЛЕБ                            ");  // 32 read, trailing blanks kept
}

TEST_F(TableCommandTest, NewCommunicationPasswordTakesEffectAtOnce) {
  ASSERT_EQ(Enter(third, 4, "00000030"), 0x00);
  const Bytes answer = Run(third, 0x50, Address(2, 1, 23, {0x00, 0x30}));
  EXPECT_EQ(answer.at(1), 0x00);
  EXPECT_EQ(Run(third, 0x45, {}).at(1), 0x8C);                // the old password is refused
  EXPECT_EQ(Run(third, 0x45, {}, {0x00, 0x30}).at(1), 0x04);  // mode 4 with the new one
  EXPECT_EQ(Run(third, 0x46, Address(2, 1, 23), {0x00, 0x30}), (Bytes{0x55, 0x00, 0x00, 0x30}));
}

TEST_F(TableCommandTest, UserPasswordsDecideModeEntry) {
  ASSERT_EQ(Enter(third, 4, "00000030"), 0x00);
  EXPECT_EQ(Write(third, 3, 30, 1, PackBcd("12345678")), 0x00);
  EXPECT_EQ(Write(third, 3, 5, 1, PackBcd("00000555")), 0x00);
  struct Row {
    int mode;
    const char* password;
    uint8_t result;
  } rows[] = {
      {4, "00000030", 0x8C},  // the old system administrator's password no longer works
      {4, "12345678", 0x00}, {6, "12345678", 0x00},
      {2, "12345678", 0x00}, {1, "00000555", 0x00},  // cashier 5's new password
      {1, "00000005", 0x8C}, {2, "00000555", 0x8C},  // a cashier does not enter X reports
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Enter(third, row.mode, row.password), row.result) << row.mode << row.password;
  }
}

TEST_F(TableCommandTest, HeaderAndFooterOnAPrintedReceipt) {
  ASSERT_EQ(Enter(third, 4, "00000030"), 0x00);
  Bytes picture = Utf8ToCp866("ЛОГО ");
  picture.insert(picture.end(), {0x0A, 0x03, 0x00, 0x0A});  // picture 3, offset 10
  EXPECT_EQ(Write(third, 6, 1, 1, picture), 0x00);
  EXPECT_EQ(Write(third, 6, 2, 1, {0x00}), 0x00);  // an empty line prints nothing
  EXPECT_EQ(Write(third, 6, 4, 1, Utf8ToCp866("ИНН 7701")), 0x00);
  EXPECT_EQ(Write(third, 6, 20, 1, Utf8ToCp866("ЖДЕМ ВАС")), 0x00);
  EXPECT_EQ(Write(third, 2, 1, 7, {2}), 0x00);  // two blank lines before the header
  ASSERT_EQ(Enter(third, 1, "00000001"), 0x00);
  ASSERT_EQ(Run(third, 0x92, {0x00, 0x01}).at(1), 0x00);
  ASSERT_EQ(Run(third, 0x4A, {0x00, 0x01, 0, 0, 0, 0, 0}).at(1), 0x00);  // close, nothing paid

  std::vector<std::string> tape = third.tape().Lines();
  const auto at = std::find(tape.begin(), tape.end(), "ЛОГО [картинка 3, смещение 10]");
  ASSERT_NE(at, tape.end());
  ASSERT_GE(at - tape.begin(), 2);
  EXPECT_EQ(*(at - 1), "");
  EXPECT_EQ(*(at - 2), "");
  EXPECT_EQ(*(at + 1), "ИНН 7701");
  EXPECT_NE((at + 2)->find("ПРОДАЖА"), std::string::npos);
  ASSERT_GE(tape.size(), 3u);
  EXPECT_EQ(tape[tape.size() - 3], "           СПАСИБО ЗА ПОКУПКУ!");
  EXPECT_EQ(tape[tape.size() - 2], "ЖДЕМ ВАС");
}

TEST_F(TableCommandTest, ChangedTablesSurviveTheStateFile) {
  ASSERT_EQ(Enter(third, 4, "00000030"), 0x00);
  ASSERT_EQ(Write(third, 8, 3, 1, {0x07, 0x50}), 0x00);
  ASSERT_EQ(Write(third, 6, 11, 1, Utf8ToCp866("ДО ВСТРЕЧИ")), 0x00);
  ASSERT_EQ(Write(third, 15, 100, 1, Utf8ToCp866("СКИДКА")), 0x00);
  RegisterState loaded;
  ASSERT_TRUE(ParseState(SerializeState(third.state()), loaded));
  EXPECT_EQ(loaded.tables.all(), third.state().tables.all());

  // A file of an earlier version: its header and ending lines, and only a few fields.
  const std::string old = std::string(kStateFileHeader) +
                          "\nmodel 3\nheader СТАРЫЙ ЗАГОЛОВОК\nending ДО СВИДАНИЯ\n"
                          "table 2 1 23 0030\n";
  ASSERT_TRUE(ParseState(old, loaded));
  EXPECT_EQ(loaded.tables.Get({2, 1, 23}), (Bytes{0x00, 0x30}));
  EXPECT_EQ(ReceiptTextLines(loaded.tables, 1, 4), (std::vector<std::string>{"СТАРЫЙ ЗАГОЛОВОК"}));
  EXPECT_EQ(ReceiptTextLines(loaded.tables, 11, 20), (std::vector<std::string>{"ДО СВИДАНИЯ"}));
  EXPECT_EQ(loaded.tables.Get({3, 30, 1}), PackBcd("00000030"));  // the factory default
  EXPECT_EQ(loaded.tables.Get({15, 1, 1}).size(), kAttributeNameWidth);
}

}  // namespace
}  // namespace ptk::emu
