// Result codes: the table's shape, a handful of texts, success, and which codes show a box.
#include "core/link/result_codes.h"

#include <gtest/gtest.h>

#include <string>

#include "support/recording_ui.h"

namespace ptk {
namespace {

using test::RecordingUi;

const char kUnknown[] = " Неизвестный код ошибки.";

// The table's shape rather than its 124 rows again: each known text starts with a blank,
// the code in upper-case hex (0xBE is written "Be", as the register's documentation has
// it) and " - "; every other code is unknown.
TEST(ResultCodesTest, TheTableHasItsShape) {
  const char* hex = "0123456789ABCDEF";
  int known = 0;
  for (int code = 0; code < 256; ++code) {
    SCOPED_TRACE(code);
    const std::string text(ResultCodeText(static_cast<uint8_t>(code)));
    if (text == kUnknown) continue;
    ++known;
    std::string prefix = {' ', hex[code >> 4], hex[code & 15], ' ', '-', ' '};
    if (code == 0xBE) prefix = " Be - ";
    EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    EXPECT_GT(text.size(), prefix.size());
  }
  EXPECT_EQ(known, 124);
}

TEST(ResultCodesTest, AHandfulOfTextsAndEveryNamedCode) {
  struct Row {
    uint8_t code;
    const char* text;
  } rows[] = {
      {0x00, " 00 - Ошибок нет. Команда выполнена."},
      {0x08, " 08 - Неверная цена (сумма)."},
      {0x8C, " 8C - Неверный пароль."},
      {0xBE, " Be - Необходимо провести профилактические работы."},
      {0xE8, " E8 - Требуется проведение инкассации."},
  };
  for (const Row& r : rows) EXPECT_EQ(ResultCodeText(r.code), r.text) << int{r.code};
  // The codes the program and the virtual register use by name all have a text.
  for (uint8_t code : {rc::kOk, rc::kBadLength, rc::kNeedsDateConfirmation, rc::kWrongMode,
                       rc::kNoPaper, rc::kNoMoreFirmware, rc::kNotSupported, rc::kBadCommand,
                       rc::kWrongPassword, rc::kShiftOver24Hours, rc::kReceiptClosed,
                       rc::kEklzNoData, rc::kClearingNeeded, rc::kBadSection})
    EXPECT_NE(ResultCodeText(code), kUnknown) << int{code};
}

TEST(ResultCodesTest, ShowResultCode) {
  struct Row {
    uint8_t code;
    int result;
    bool box;
    std::string text;
  } rows[] = {
      {0x00, 1, false, " 00 - Ошибок нет. Команда выполнена."},
      {0x01, 1, false, " 01 - Контрольная лента обработана без ошибок."},
      {0x16, 0, false, " 16 - Требуется подтверждение ввода даты."},
      {0x15, 0, true, " 15 - ПТК заблокирован в режиме ввода даты."},
      {0x02, 0, true, kUnknown},
      {0x17, 0, true, kUnknown},
      {0xFF, 0, true, kUnknown},
      {0xBE, 0, true, " Be - Необходимо провести профилактические работы."},
      {0x8C, 0, true, " 8C - Неверный пароль."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.code));
    RecordingUi ui;
    ui.result = "old text";
    EXPECT_EQ(ShowResultCode(ui, row.code), row.result);
    EXPECT_EQ(ui.result, row.text);
    ASSERT_EQ(ui.boxes.size(), row.box ? 1u : 0u);
    if (row.box) {
      EXPECT_EQ(ui.boxes[0].caption, "Ошибка");
      EXPECT_EQ(ui.boxes[0].text, row.text);
      EXPECT_EQ(ui.boxes[0].icon, Icon::Error);
      EXPECT_EQ(ui.boxes[0].buttons, Buttons::Ok);
    }
  }
}

TEST(ResultCodesTest, OnlyZeroAndOneSucceed) {
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(IsSuccessCode(static_cast<uint8_t>(code)), code <= 1) << code;
  }
}

}  // namespace
}  // namespace ptk
