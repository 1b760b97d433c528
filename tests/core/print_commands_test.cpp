// Frames of the string, field, header and ending print commands, as the register
// receives them through the frame exchange.
#include "core/programming/print_commands.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/bytes.h"
#include "support/fake_clock.h"
#include "support/link_rig.h"
#include "support/recording_ui.h"
#include "support/scripted_port.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

struct Rig : test::LinkRig {
  Rig() { reg.answer = {0x55, 0x00, 0x00}; }
};

TEST(PrintCommands, StringFrames) {
  struct Row {
    const char* text;
    uint8_t code;
    Bytes params;  // after password and code
  } rows[] = {
      {"№1", kCmdPrintString, {0xFC, 0x31}},
      {"", kCmdPrintString, {}},
      {"Чек", kCmdPrintStringReceipt, {0x97, 0xA5, 0xAA}},
      {"Ёё A-z", kCmdPrintString, {0xF0, 0xF1, 0x20, 0x41, 0x2D, 0x7A}},
  };
  for (const Row& row : rows) {
    Rig r;
    EXPECT_EQ(PrintString(r.link, row.text, row.code), kExchangeOk) << row.text;
    Bytes expected{0x73, 0x91, row.code};
    expected.insert(expected.end(), row.params.begin(), row.params.end());
    EXPECT_EQ(r.Sent(), expected) << row.text;
    EXPECT_EQ(r.ui.result, " 00 - Ошибок нет. Команда выполнена.");
  }
}

TEST(PrintCommands, FieldFormatBytes) {
  struct Row {
    FieldFormat format;
    Bytes bytes;
  } rows[] = {
      {{}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      // Stretched, double width, brightness 3, check only.
      {{FieldOperation::CheckOnly, FieldHeight::Stretched, true, 3},
       {0x01, 0x00, 0x00, 0x01, 0x00, 0x03, 0x00, 0x00, 0x10, 0x00, 0x00}},
      {{FieldOperation::Print, FieldHeight::Single, false, 8},
       {0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {{FieldOperation::Print, FieldHeight::Single, true, 0},
       {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00}},
  };
  for (const Row& row : rows) {
    std::array<uint8_t, 11> got = FieldFormatBytes(row.format);
    EXPECT_EQ(Bytes(got.begin(), got.end()), row.bytes);
  }
}

TEST(PrintCommands, FieldFrameCarriesFormatThenText) {
  Rig r;
  FieldFormat f{FieldOperation::CheckOnly, FieldHeight::Stretched, true, 3};
  EXPECT_EQ(PrintField(r.link, f, "Ай1"), kExchangeOk);
  EXPECT_EQ(r.Sent(), (Bytes{0x73, 0x91, 0x87, 0x01, 0x00, 0x00, 0x01, 0x00, 0x03, 0x00, 0x00, 0x10,
                             0x00, 0x00, 0x80, 0xA9, 0x31}));
}

TEST(PrintCommands, HeaderAndEnding) {
  Rig r;
  EXPECT_EQ(PrintHeader(r.link), kExchangeOk);
  EXPECT_EQ(r.Sent(), (Bytes{0x73, 0x91, 0x6C}));
  EXPECT_EQ(PrintEnding(r.link), kExchangeOk);
  EXPECT_EQ(r.Sent(), (Bytes{0x73, 0x91, 0x73}));
}

TEST(PrintCommands, RefusalIsReportedByTheExchange) {
  Rig r;
  r.reg.answer = {0x55, 0x6B, 0x00};
  EXPECT_NE(PrintString(r.link, "1"), kExchangeOk);
  EXPECT_EQ(r.ui.boxes.size(), 1u);
}

}  // namespace
}  // namespace ptk
