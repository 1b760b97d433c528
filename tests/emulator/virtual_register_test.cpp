// The register's command handlers: answer bytes against the layouts the program decodes.
#include "emulator/virtual_register.h"

#include <gtest/gtest.h>

#include "core/link/direct_command.h"
#include "core/link/encoding.h"
#include "support/fake_clock.h"

namespace ptk::emu {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kPassword = {0x73, 0x91};  // 7391

class RegisterTest : public ::testing::Test {
 protected:
  RegisterTest() {
    // 2024-07-03 12:34:56 on the host.
    reg.SetHostTime([this] { return host; });
  }
  Bytes Run(uint8_t code, Bytes params = {}, Bytes password = kPassword) {
    Bytes payload = password;
    payload.push_back(code);
    payload.insert(payload.end(), params.begin(), params.end());
    return reg.Execute(payload).payload;
  }
  uint8_t Code(uint8_t code, Bytes params = {}) { return Run(code, std::move(params)).at(1); }
  Bytes EnterMode(int mode, const std::string& password8) {
    Bytes params = {static_cast<uint8_t>(mode)};
    Bytes packed = PackBcd(password8);
    params.insert(params.end(), packed.begin(), packed.end());
    return Run(0x56, params);
  }

  test::FakeClock clock;
  int64_t host = ToSeconds({2024, 7, 3, 12, 34, 56});
  VirtualRegister reg{clock};
};

TEST_F(RegisterTest, DeviceStateHasTheThirtyByteLayout) {
  reg.state().cashier = 5;
  reg.state().receiptNumber = 105;
  reg.state().lastClosedShift = 7;
  reg.state().receiptState = 1;
  reg.state().receiptSum = 123456;  // 1234,56
  reg.state().shiftOpen = true;
  reg.state().fiscalized = true;
  reg.state().firmwareVersion = 258;
  reg.state().mode = 1;
  reg.state().submode = 4;
  Bytes a = Run(0x3F);
  ASSERT_EQ(a.size(), 30u);
  // AnswerBuffer index n is payload index n - 1.
  EXPECT_EQ(a[0], 0x44);  // 'D'
  EXPECT_EQ(a[1], 0x05);  // cashier, BCD
  EXPECT_EQ(a[2], 0x01);  // number in the hall (table 2 field 1)
  EXPECT_EQ(Bytes(a.begin() + 3, a.begin() + 9), (Bytes{0x24, 0x07, 0x03, 0x12, 0x34, 0x56}));
  EXPECT_EQ(a[9], 0x03);  // fiscalised, shift open
  EXPECT_EQ(Bytes(a.begin() + 10, a.begin() + 14), (Bytes{0x00, 0x10, 0x20, 0x30}));
  EXPECT_EQ(a[14], kModelCodeThird);
  EXPECT_EQ(a[15], 0x02);  // version 258, little-endian
  EXPECT_EQ(a[16], 0x01);
  EXPECT_EQ(a[17], 0x41);  // mode 1, submode 4
  EXPECT_EQ(Bytes(a.begin() + 18, a.begin() + 22), (Bytes{0x01, 0x05, 0x00, 0x07}));
  EXPECT_EQ(a[22], 1);
  EXPECT_EQ(Bytes(a.begin() + 23, a.begin() + 28), (Bytes{0x00, 0x00, 0x12, 0x34, 0x56}));
  EXPECT_EQ(a[28], 2);  // decimal point
  EXPECT_EQ(a[29], 1);  // port
}

TEST_F(RegisterTest, DeviceStateClockRuns) {
  host += 61;
  Bytes a = Run(0x3F);
  EXPECT_EQ(Bytes(a.begin() + 6, a.begin() + 9), (Bytes{0x12, 0x35, 0x57}));
}

TEST_F(RegisterTest, DeviceStateFlags) {
  struct Row {
    const char* what;
    void (*set)(VirtualRegister&, uint32_t);
    uint8_t flags;
  };
  const Row rows[] = {
      {"nothing", [](VirtualRegister&, uint32_t) {}, 0x00},
      {"fiscalised", [](VirtualRegister& r, uint32_t) { r.state().fiscalized = true; }, 0x01},
      {"shift open", [](VirtualRegister& r, uint32_t) { r.state().shiftOpen = true; }, 0x02},
      {"drawer open", [](VirtualRegister& r, uint32_t now) { r.OpenDrawer(now); }, 0x04},
      {"cover open",
       [](VirtualRegister& r, uint32_t) { r.faults().printerFlags = kPrinterCoverOpen; }, 0x20},
      {"battery low", [](VirtualRegister& r, uint32_t) { r.state().batteryLow = true; }, 0x80},
  };
  for (const Row& row : rows) {
    test::FakeClock c;
    VirtualRegister r{c};
    row.set(r, c.now());
    Bytes a = r.Execute(Bytes{0x73, 0x91, 0x3F}).payload;
    EXPECT_EQ(a.at(9), row.flags) << row.what;
  }
}

TEST_F(RegisterTest, DrawerClosesAgainByItself) {
  EXPECT_EQ(Code(0x80), 0x00);
  EXPECT_EQ(Run(0x3F)[9] & 0x04, 0x04);
  clock.Advance(10000);
  EXPECT_EQ(Run(0x3F)[9] & 0x04, 0x00);
}

TEST_F(RegisterTest, StateCodeCarriesModeAndPrinterFlags) {
  for (uint8_t flags : {0x00, 0x01, 0x02, 0x04, 0x08, 0x0F}) {
    reg.faults().printerFlags = flags;
    EXPECT_EQ(Run(0x45), (Bytes{0x55, 0x00, flags}));
  }
  reg.state().mode = 3;
  reg.state().submode = 2;
  EXPECT_EQ(Run(0x45)[1], 0x23);
}

TEST_F(RegisterTest, DeviceTypeReadsAsSuccessOnBothPaths) {
  Bytes a = Run(0xA5);
  ASSERT_GE(a.size(), 12u);
  EXPECT_LE(a.size(), 51u);  // a 55-byte read keeps the whole frame
  EXPECT_EQ(a[0], 0x00);     // result code, for the frame exchange and the compact path
  EXPECT_EQ(a[1], 0x02);     // identification data: the protocol version
  EXPECT_EQ(a[6] | (a[7] << 8), kModelCodeThird);
  EXPECT_EQ(a[8], 0);  // language table: "русская"
  EXPECT_EQ(a[9] | (a[10] << 8), reg.state().firmwareSubversion);
  EXPECT_EQ(FromDeviceText(std::span(a).subspan(11)), "ВИРТУАЛЬНЫЙ ПТК");
}

TEST_F(RegisterTest, ModelCanBeChosen) {
  VirtualRegister other{clock, kModelCodeFirst};
  Bytes a = other.Execute(Bytes{0x73, 0x91, 0xA5}).payload;
  EXPECT_EQ(a[6] | (a[7] << 8), kModelCodeFirst);
}

TEST_F(RegisterTest, VersionPerSource) {
  reg.state().firmwareVersion = 258;
  reg.state().firmwareSubversion = 5;
  reg.state().fmVersion = 0x0304;
  reg.state().fmSubversion = 0x0102;
  EXPECT_EQ(Run(0x9D, {1}), (Bytes{0x55, 0x00, 0x02, 0x01, 0x00, 0x05, 0x00}));
  EXPECT_EQ(Run(0x9D, {2}), (Bytes{0x55, 0x00, 0x04, 0x03, 0x00, 0x02, 0x01}));
  EXPECT_EQ(Code(0x9D, {3}), 0x6D);
  EXPECT_EQ(Code(0x9D), 0x14);
}

TEST_F(RegisterTest, WrongCommunicationPasswordIsRefusedForEveryCommand) {
  for (uint8_t code : {0x3F, 0x45, 0x52, 0x56, 0x80, 0xE0}) {
    Bytes a = Run(code, {}, {0x00, 0x00});
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[1], 0x8C) << int{code};
  }
  Bytes a = Run(0xA5, {}, {0x12, 0x34});
  EXPECT_EQ(a, (Bytes{0x8C, 0x8C, 0x00}));
}

TEST_F(RegisterTest, CommunicationPasswordComesFromTheTable) {
  reg.state().tables.Set(kCommPasswordField, {0x12, 0x34});
  EXPECT_EQ(Run(0x45, {}, kPassword)[1], 0x8C);
  EXPECT_EQ(Run(0x45, {}, {0x12, 0x34})[1], 0x00);
}

TEST_F(RegisterTest, ErrorAnswersAreThreeBytes) {
  EXPECT_EQ(Run(0xE0), (Bytes{0x55, 0x7A, 0x00}));                               // not implemented
  EXPECT_EQ(reg.Execute(Bytes{0x73, 0x91}).payload, (Bytes{0x55, 0x46, 0x00}));  // no code
  EXPECT_EQ(Run(0x56, {1, 0}), (Bytes{0x55, 0x14, 0x00}));                       // too short
}

TEST_F(RegisterTest, ModeEntryPasswords) {
  struct Row {
    int mode;
    const char* password;
    uint8_t code;
  };
  const Row rows[] = {
      {1, "00000001", 0x00}, {1, "00000028", 0x00}, {1, "00000029", 0x00}, {1, "00000030", 0x00},
      {1, "00000031", 0x8C}, {1, "00000000", 0x8C}, {2, "00000029", 0x00}, {2, "00000030", 0x00},
      {2, "00000028", 0x8C}, {3, "00000029", 0x00}, {3, "00000030", 0x00}, {3, "00000001", 0x8C},
      {4, "00000030", 0x00}, {4, "00000029", 0x8C}, {6, "00000030", 0x00}, {6, "00000029", 0x8C},
      {5, "00000000", 0x00}, {5, "00000030", 0x8C}, {0, "00000030", 0x1E}, {7, "00000030", 0x1E},
  };
  for (const Row& row : rows) {
    test::FakeClock c;
    VirtualRegister r{c};
    Bytes params = {static_cast<uint8_t>(row.mode)};
    Bytes packed = PackBcd(row.password);
    params.insert(params.end(), packed.begin(), packed.end());
    Bytes payload = {0x73, 0x91, 0x56};
    payload.insert(payload.end(), params.begin(), params.end());
    Bytes a = r.Execute(payload).payload;
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[1], row.code) << "mode " << row.mode << " password " << row.password;
    EXPECT_EQ(r.state().mode, row.code == 0 ? row.mode : 0) << row.mode << " " << row.password;
  }
}

TEST_F(RegisterTest, ModeIsLeftAndEnteredAgain) {
  EXPECT_EQ(EnterMode(2, "00000029")[1], 0x00);
  EXPECT_EQ(Run(0x45)[1], 0x02);
  EXPECT_EQ(EnterMode(3, "00000029")[1], 0x66);  // another mode must be left first
  EXPECT_EQ(EnterMode(2, "00000029")[1], 0x00);  // the same mode again is fine
  EXPECT_EQ(Code(0x52), 0x00);
  EXPECT_EQ(Run(0x45)[1], 0x00);
  EXPECT_EQ(EnterMode(3, "00000030")[1], 0x00);
  EXPECT_EQ(Run(0x3F)[1], 0x30);  // the system administrator is the operator
  EXPECT_EQ(Code(0x52), 0x00);
  EXPECT_EQ(Code(0x52), 0x00);  // leaving mode 0 is harmless
}

TEST_F(RegisterTest, ChangedUserPasswordIsWhatEntersTheMode) {
  reg.state().tables.Set({kUsersTable, 30, kUserPasswordField}, PackBcd("12345678"));
  EXPECT_EQ(EnterMode(4, "00000030")[1], 0x8C);
  EXPECT_EQ(EnterMode(4, "12345678")[1], 0x00);
}

TEST_F(RegisterTest, DateNeedsConfirmationUnlessItIsTheRegistersOwn) {
  EXPECT_EQ(Code(0x64, {0x03, 0x07, 0x24}), 0x00);  // today: taken at once
  EXPECT_EQ(Code(0x64, {0x05, 0x03, 0x24}), 0x16);  // another date: confirm
  EXPECT_EQ(Run(0x3F)[5], 0x03);                    // not changed yet
  EXPECT_EQ(Code(0x64, {0x06, 0x03, 0x24}), 0x16);  // a different one starts over
  EXPECT_EQ(Code(0x64, {0x06, 0x03, 0x24}), 0x00);  // the same again: taken
  Bytes a = Run(0x3F);
  EXPECT_EQ(Bytes(a.begin() + 3, a.begin() + 9), (Bytes{0x24, 0x03, 0x06, 0x12, 0x34, 0x56}));
  host += 3600;  // the register's clock keeps running from the new date
  EXPECT_EQ(Run(0x3F)[6], 0x13);
}

TEST_F(RegisterTest, InvalidDatesAndTimes) {
  struct Row {
    uint8_t code;
    Bytes params;
    uint8_t result;
  };
  const Row rows[] = {
      {0x64, {0x30, 0x02, 0x24}, 0x94}, {0x64, {0x29, 0x02, 0x23}, 0x94},
      {0x64, {0x00, 0x01, 0x24}, 0x94}, {0x64, {0x01, 0x13, 0x24}, 0x94},
      {0x64, {0x1A, 0x01, 0x24}, 0x94}, {0x4B, {0x24, 0x00, 0x00}, 0x95},
      {0x4B, {0x23, 0x60, 0x00}, 0x95}, {0x4B, {0x23, 0x59, 0x60}, 0x95},
      {0x4B, {0x0A, 0x00, 0x00}, 0x95}, {0x4B, {0x23, 0x59, 0x59}, 0x00},
  };
  for (const Row& row : rows)
    EXPECT_EQ(Code(row.code, row.params), row.result) << HexBytes(row.params);
}

TEST_F(RegisterTest, TimeIsSet) {
  EXPECT_EQ(Code(0x4B, {0x09, 0x07, 0x05}), 0x00);
  Bytes a = Run(0x3F);
  EXPECT_EQ(Bytes(a.begin() + 3, a.begin() + 9), (Bytes{0x24, 0x07, 0x03, 0x09, 0x07, 0x05}));
}

TEST_F(RegisterTest, DateRefusedWhileTheShiftIsOpen) {
  reg.state().shiftOpen = true;
  EXPECT_EQ(Code(0x64, {0x05, 0x03, 0x24}), 0x9C);
}

TEST_F(RegisterTest, PrintingGoesOnTheTape) {
  EXPECT_EQ(Code(0x5E, {0xFC, 0x31}), 0x00);  // "№1"
  EXPECT_EQ(Code(0x4C, ToDeviceText("Молоко 1л")), 0x00);
  EXPECT_EQ(Code(0x5E), 0x00);  // an empty string is an empty line
  Bytes field = {0x00, 0x00, 0x00, 0x01, 0x00, 0x03, 0x00, 0x00, 0x10, 0x00, 0x00};
  Bytes text = ToDeviceText("ИТОГ");
  field.insert(field.end(), text.begin(), text.end());
  EXPECT_EQ(Code(0x87, field), 0x00);
  field[0] = 0x01;  // check only: nothing printed
  EXPECT_EQ(Code(0x87, field), 0x00);
  std::vector<std::string> tape = reg.tape().Lines();
  ASSERT_EQ(tape.size(), 4u);
  EXPECT_EQ(tape[0], "№1");
  EXPECT_EQ(tape[1], "Молоко 1л");
  EXPECT_EQ(tape[2], "");
  EXPECT_EQ(tape[3], "[поле: высота растянутая, ширина двойная, яркость 3] ИТОГ");
}

TEST_F(RegisterTest, FieldWithBadFormatIsRefused) {
  Bytes field(11, 0);
  field[5] = 9;  // brightness above 8
  EXPECT_EQ(Code(0x87, field), 0x13);
  EXPECT_EQ(Code(0x87, Bytes(10, 0)), 0x14);
}

TEST_F(RegisterTest, HeaderEndingCutAndDemo) {
  EXPECT_EQ(Code(0x6C), 0x00);
  EXPECT_EQ(Code(0x73), 0x00);
  EXPECT_EQ(Code(0x75, {0x00}), 0x00);
  EXPECT_EQ(Code(0x82, {0x00, 0x00, 0x00}), 0x00);
  std::vector<std::string> tape = reg.tape().Lines();
  const std::vector<std::string> headerLines = ReceiptTextLines(reg.state().tables, 1, 4);
  const std::vector<std::string> endingLines = ReceiptTextLines(reg.state().tables, 11, 20);
  size_t header = headerLines.size(), ending = endingLines.size();
  ASSERT_GT(tape.size(), header + ending + 1);
  EXPECT_EQ(tape[0], headerLines[0]);
  EXPECT_EQ(tape[header], endingLines[0]);
  EXPECT_NE(tape[header + ending].find("отрез"), std::string::npos);
  EXPECT_NE(tape[header + ending + 1].find("ДЕМОНСТРАЦИОННАЯ"), std::string::npos);
}

TEST_F(RegisterTest, PrinterFlagsStopPrinting) {
  struct Row {
    uint8_t flags;
    uint8_t code;
  };
  const Row rows[] = {{kPrinterNoPaper, 0x67},
                      {kPrinterNoRoll, 0x67},
                      {kPrinterNoLink, 0x68},
                      {kPrinterCoverOpen, 0x69},
                      {0, 0x00}};
  for (const Row& row : rows) {
    reg.faults().printerFlags = row.flags;
    EXPECT_EQ(Code(0x5E, {0x41}), row.code) << int{row.flags};
    EXPECT_EQ(Code(0x45), 0x00);  // queries still work
  }
  EXPECT_EQ(reg.tape().LineCount(), 1u);
}

TEST_F(RegisterTest, BeepHasNoAnswerTransfer) {
  Reply r = reg.Execute(Bytes{0x73, 0x91, 0x47});
  EXPECT_TRUE(r.noAnswer);
  EXPECT_EQ(reg.state().beeps, 1u);
  EXPECT_EQ(Code(0x88, {0x00, 0x64, 0x02}), 0x00);
  EXPECT_EQ(reg.state().beeps, 3u);
}

TEST_F(RegisterTest, CancelReceipt) {
  EXPECT_EQ(Code(0x59), 0x9A);  // no receipt open
  reg.state().receiptState = 1;
  reg.state().receiptSum = 5000;
  EXPECT_EQ(Code(0x59), 0x00);
  EXPECT_EQ(reg.state().receiptState, 0);
  EXPECT_EQ(reg.state().receiptSum, 0);
}

TEST_F(RegisterTest, ResetAndTableInitialisationNeedTheirModes) {
  EXPECT_EQ(EnterMode(1, "00000001")[1], 0x00);
  EXPECT_EQ(Code(0x6B), 0x66);
  EXPECT_EQ(Code(0x71), 0x66);
  Code(0x52);
  reg.state().tables.Set(kCommPasswordField, kPassword);
  reg.state().tables.Set({kUsersTable, 30, kUserPasswordField}, PackBcd("12345678"));
  EXPECT_EQ(Code(0x71), 0x00);
  EXPECT_EQ(reg.state().tables.Get({kUsersTable, 30, kUserPasswordField}), PackBcd("00000030"));
  reg.state().shiftOpen = true;
  EXPECT_EQ(Code(0x71), 0x9C);
  reg.state().factoryNumber = "00000777";
  EXPECT_EQ(Code(0x6B), 0x00);
  EXPECT_FALSE(reg.state().shiftOpen);
  EXPECT_EQ(reg.state().factoryNumber, "00000777");
}

TEST_F(RegisterTest, ForcedResultCodes) {
  ASSERT_TRUE(ApplyFaultSpec("code=52:9B/1,code=A5:66", reg.faults()));
  EXPECT_EQ(Code(0x52), 0x9B);
  EXPECT_EQ(Code(0x52), 0x00);  // used up
  EXPECT_EQ(Run(0xA5), (Bytes{0x66, 0x66, 0x00}));
  EXPECT_EQ(Run(0xA5), (Bytes{0x66, 0x66, 0x00}));  // every time
  ASSERT_TRUE(ApplyFaultSpec("code=80:01/1", reg.faults()));
  EXPECT_EQ(Run(0x80), (Bytes{0x55, 0x01, 0x00}));  // a success code: executed
  EXPECT_EQ(reg.state().drawerOpenings, 1u);
}

TEST(DateTimeTest, SecondsRoundTrip) {
  const DateTime dates[] = {{1970, 1, 1, 0, 0, 0},
                            {2000, 2, 29, 23, 59, 59},
                            {2024, 12, 31, 12, 0, 1},
                            {2099, 3, 1, 0, 0, 0},
                            {1969, 12, 31, 23, 59, 59}};
  for (const DateTime& d : dates) EXPECT_EQ(FromSeconds(ToSeconds(d)), d) << d.year;
  EXPECT_EQ(ToSeconds({1970, 1, 2, 0, 0, 0}), 86400);
  EXPECT_TRUE(ValidDate(2024, 2, 29));
  EXPECT_FALSE(ValidDate(2100, 2, 29));
  EXPECT_TRUE(ValidDate(2000, 2, 29));
}

TEST(BcdTest, NumbersToBcd) {
  EXPECT_EQ(NumberToBcd(102030, 8), (Bytes{0x00, 0x10, 0x20, 0x30}));
  EXPECT_EQ(NumberToBcd(123456, 10), (Bytes{0x00, 0x00, 0x12, 0x34, 0x56}));
  EXPECT_EQ(NumberToBcd(105, 4), (Bytes{0x01, 0x05}));
  EXPECT_EQ(ToBcd(59), 0x59);
}

}  // namespace
}  // namespace ptk::emu
