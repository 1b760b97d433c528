// Frames and exchange arguments of the receipt commands, and what goes on the line.
#include "core/receipts/receipt_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

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

using Rig = test::LinkRig;

using test::Cat;

// Exchange arguments: answer length, short answers allowed, T6, delay.
using Shape = test::ExchangeShape;
constexpr Shape kPlain{.delay = 100};
constexpr Shape kItem{.answerLength = 20, .allowShort = 1, .delay = 100};
constexpr Shape kLong{.answerLength = 55, .allowShort = 1, .delay = 100};
constexpr Shape kClose{.t6 = 20000, .delay = 100};
constexpr Shape kRefused{};

TEST(ReceiptCommands, FramesAndExchangeArguments) {
  using Build = std::function<std::optional<Exchange>(const Link&)>;
  struct Row {
    const char* what;
    Build build;
    Bytes frame;  // empty: refused before anything is sent
    Shape args;
  } rows[] = {
      {"open shift",
       [](const Link& l) { return OpenShiftCommand(l, M::Execute, "Смена 1"); },
       {0x73, 0x91, 0x9A, 0x00, 0x91, 0xAC, 0xA5, 0xAD, 0xA0, 0x20, 0x31},
       kPlain},
      {"open receipt, purchase return",
       [](const Link& l) { return OpenReceiptCommand(l, M::Execute, 5); },
       {0x73, 0x91, 0x92, 0x00, 0x05},
       kPlain},
      {"sale, check pass",
       [](const Link& l) { return RegisterItemCommand(l, M::CheckOnly, "1,11", "1", "1", ','); },
       {0x73, 0x91, 0x48, 0x01,        // password, code, check only
        0x00, 0x00, 0x00, 0x01, 0x11,  // price 1,11
        0x00, 0x00, 0x00, 0x10, 0x00,  // quantity 1,000
        0x01},                         // section 1
       kItem},
      {"storno",
       [](const Link& l) { return StornoItemCommand(l, M::Execute, "1,11", "1", "12", ','); },
       {0x73, 0x91, 0x4E, 0x00, 0x00, 0x00, 0x00, 0x01, 0x11, 0x00, 0x00, 0x00, 0x10, 0x00, 0x12},
       kItem},
      {"return: no section",
       [](const Link& l) { return ReturnItemCommand(l, M::Execute, "2,00", "3", ','); },
       {0x73, 0x91, 0x57, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x30, 0x00},
       kItem},
      {"annulment",
       [](const Link& l) { return AnnulItemCommand(l, M::CheckOnly, "1,11", "1", ','); },
       {0x73, 0x91, 0x41, 0x01, 0x00, 0x00, 0x00, 0x01, 0x11, 0x00, 0x00, 0x00, 0x10, 0x00},
       kItem},
      {"sale with a pasted price",
       [](const Link& l) { return RegisterItemCommand(l, M::Execute, "1,1a", "1", "1", ','); },
       {},
       kRefused},
      {"sale with an eleven-digit quantity",
       [](const Link& l) {
         return RegisterItemCommand(l, M::Execute, "1", "12345678,9", "1", ',');
       },
       {},
       kRefused},
      {"repeat sale",
       [](const Link& l) { return RepeatSaleCommand(l, M::CheckOnly); },
       {0x73, 0x91, 0x51, 0x01},
       kLong},
      {"whole-receipt annulment",
       [](const Link& l) { return AnnulReceiptCommand(l); },
       {0x73, 0x91, 0x59},
       kPlain},
      {"10 % off the receipt",
       [](const Link& l) {
         return DiscountSurchargeCommand(l, M::Execute, DiscountArea::Receipt,
                                         DiscountKind::Percent, DiscountSign::Discount, "10,00",
                                         ',');
       },
       {0x73, 0x91, 0x43, 0x00,  // execute
        0x00, 0x00, 0x00,        // whole receipt, percentage, discount
        0x00, 0x10, 0x00},       // 10,00
       kPlain},
      {"5,00 on the last operation",
       [](const Link& l) {
         return DiscountSurchargeCommand(l, M::Execute, DiscountArea::LastOperation,
                                         DiscountKind::Amount, DiscountSign::Surcharge, "5,00",
                                         ',');
       },
       {0x73, 0x91, 0x43, 0x00, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x05, 0x00},
       kPlain},
      {"percentage over 9999,99",
       [](const Link& l) {
         return DiscountSurchargeCommand(l, M::Execute, DiscountArea::Receipt,
                                         DiscountKind::Percent, DiscountSign::Discount, "10000,00",
                                         ',');
       },
       {},
       kRefused},
      {"cancel discount",
       [](const Link& l) { return CancelLastDiscountCommand(l); },
       {0x73, 0x91, 0x78},
       kPlain},
      {"subtotal",
       [](const Link& l) { return SubtotalCommand(l, M::Execute); },
       {0x73, 0x91, 0x53, 0x00},
       kLong},
      {"cash payment",
       [](const Link& l) { return PaymentCommand(l, M::Execute, 1, "1,11", "", ','); },
       {0x73, 0x91, 0x99, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x11},
       kLong},
      {"card payment with its number",
       [](const Link& l) { return PaymentCommand(l, M::Execute, 4, "1,11", "1234", ','); },
       {0x73, 0x91, 0x99, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x11, 0x31, 0x32, 0x33, 0x34},
       kLong},
      {"payment typed without leaving the field",
       [](const Link& l) { return PaymentCommand(l, M::Execute, 1, "5", "", ','); },
       {0x73, 0x91, 0x99, 0x00, 0x01, 0x00, 0x00, 0x00, 0x05, 0x00},
       kLong},
      {"negative payment",
       [](const Link& l) { return PaymentCommand(l, M::Execute, 1, "-5,00", "", ','); },
       {},
       kRefused},
      {"payment storno",
       [](const Link& l) { return PaymentStornoCommand(l, M::CheckOnly, 2, "0,50", ','); },
       {0x73, 0x91, 0x9B, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x50},
       kLong},
      {"closing with 0,00 in cash",
       [](const Link& l) { return CloseReceiptCommand(l, M::Execute, 1, "0,00", ','); },
       {0x73, 0x91, 0x4A, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00},
       kClose},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Rig r;
    test::ExpectExchange(row.build(r.link), row.frame, row.args);
  }
}

TEST(ReceiptCommands, CardDataFieldsAndPassword) {
  struct Row {
    const char* password;
    Bytes passwordBytes;
  } rows[] = {
      {"7391", {0x73, 0x91}}, {"12", {0x00, 0x12}}, {"abc", {0x00, 0x00}}, {"", {0x00, 0x00}}};
  for (const Row& row : rows) {
    Rig r;
    r.settings.AccessPassword = row.password;
    Exchange c = CardDataCommand(r.link, "1234", "AB12", "123456789012345");
    EXPECT_EQ(c.frame, Cat({row.passwordBytes,
                            {0xBF},
                            {0x31, 0x32, 0x33, 0x34},
                            Bytes(16, 0),  // card number, 20
                            {0x41, 0x42, 0x31, 0x32},
                            Bytes(4, 0),  // authorisation, 8
                            {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0x31,
                             0x32}}))  // reference, cut to 12
        << row.password;
    EXPECT_EQ(c.frame.size(), 43u);
  }
}

TEST(ReceiptCommands, PaymentAnswerAndTheClosingsLongWait) {
  Rig r;
  r.reg.answer = {0x55, 0x00,                     // marker, result
                  0x00, 0x00, 0x00, 0x01, 0x00,   // remainder 1,00
                  0x00, 0x00, 0x00, 0x00, 0x50};  // change 0,50
  std::optional<Exchange> pay = PaymentCommand(r.link, M::Execute, 1, "1,11", "", ',');
  ASSERT_TRUE(pay);
  ASSERT_EQ(r.link.Run(*pay), kExchangeOk);
  PaymentAnswer a = DecodePaymentAnswer(r.link.AnswerBuffer);
  EXPECT_EQ(a.remainder, "1,00");
  EXPECT_EQ(a.change, "0,50");

  // The closing prints the receipt's end: the register may take 15 s before it answers.
  r.reg.answer = {0x55, 0x00, 0x00};
  r.reg.executionMs = 15000;
  std::optional<Exchange> close = CloseReceiptCommand(r.link, M::Execute, 1, "0", ',');
  ASSERT_TRUE(close);
  EXPECT_EQ(r.link.Run(*close), kExchangeOk);
  EXPECT_EQ(r.reg.commands.back(), close->frame);
  Exchange subtotal = SubtotalCommand(r.link, M::Execute);
  EXPECT_EQ(r.link.Run(subtotal), kExchangeLinkFailure);  // 10 s is too short
}

}  // namespace
}  // namespace ptk
