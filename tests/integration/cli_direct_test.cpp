// The compact command path end to end: ptk-cli direct against a scripted register on a
// real pseudo-terminal and against the virtual register, and the model identification
// over the pseudo-terminal of the virtual register.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/link/direct_command.h"
#include "core/link/serial_device.h"
#include "emulator/emulator_host.h"
#include "support/cli_run.h"
#include "support/emulated_link.h"
#include "support/pty_peer.h"
#include "support/recording_ui.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using test::CliOutput;
using test::PtyPeer;

CliOutput Cli(const std::vector<std::string>& args) {
  return test::RunCliCaptured(args);
}

class CliDirect : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(peer.ok()); }
  std::vector<std::string> Args(const std::vector<std::string>& verb) {
    return test::CliArgs(peer.path(), "9600", verb);
  }
  PtyPeer peer;
};

TEST_F(CliDirect, AnswersAndTheirOutput) {
  struct Row {
    const char* name;
    Bytes answer;
    std::vector<std::string> args;
    Bytes command;  // what the register received
    std::string out;
    int status;
  } rows[] = {
      {"success with data",
       {0x55, 0x00, 0x10, 0x03, 0x41},
       {"direct", "46", "0F", "00", "01", "01"},
       {0x73, 0x91, 0x46, 0x0F, 0x00, 0x01, 0x01},
       "rezult: \nerror: 0\nanswer: 55 00 10 03 41\n",
       0},
      {"wrong password",
       {0x55, 0x8C},
       {"direct", "0x50"},
       {0x73, 0x91, 0x50},
       "box: Ошибка: Неверный пароль\nrezult: \nerror: 4099\nanswer: 55 8C\n",
       1},
      {"result code through the result-code table",
       {0x55, 0x9A},
       {"direct", "C2"},
       {0x73, 0x91, 0xC2},
       "box: Ошибка:  9A - Чек закрыт - операция невозможна.\n"
       "rezult:  9A - Чек закрыт - операция невозможна.\nerror: -2147483494\nanswer: 55 9A\n",
       1},
      {"no paper",
       {0x55, 0x67, 0x00},
       {"direct", "5E", "31"},
       {0x73, 0x91, 0x5E, 0x31},
       "box: Ошибка: Нет бумаги\nrezult: \nerror: 210\nanswer: 55 67 00\n",
       1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::optional<Bytes> command;
    const Bytes answer = row.answer;
    peer.Run([&command, answer](PtyPeer& p) { command = p.ServeCommand(answer); });
    const CliOutput o = Cli(Args(row.args));
    peer.Join();
    EXPECT_EQ(o.out, row.out);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.status, row.status);
    EXPECT_EQ(command, row.command);
  }
}

TEST_F(CliDirect, RefusedHandshakeGivesNoLinkAfterFiveEnqs) {
  // NAK to every ENQ: the same end as silence, without waiting out five time-outs.
  peer.Run([](PtyPeer& p) {
    for (int i = 0; i < 5 && p.Expect(0x05, 2000); ++i) p.Send({0x15});
  });
  const CliOutput o = Cli(Args({"direct", "47"}));
  peer.Join();
  EXPECT_EQ(o.out, "box: Ошибка: Нет связи\nrezult: \nerror: 196\n");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(peer.Received(), Bytes(5, 0x05));
}

TEST_F(CliDirect, TooLongIsRefusedBeforeSending) {
  std::vector<std::string> args = {"direct", "50"};
  for (int i = 0; i < 89; ++i) args.push_back("00");
  const CliOutput o = Cli(Args(args));
  EXPECT_EQ(o.out,
            "box: Ошибка: Размер передаваемых данных больше допустимого\nrezult: \n"
            "error: 202\n");
  EXPECT_EQ(o.status, 1);
  EXPECT_TRUE(peer.Received().empty());
}

TEST(CliDirectUsage, BadArguments) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--emulator", "direct"},
        std::vector<std::string>{"--emulator", "direct", "zz"},
        std::vector<std::string>{"--emulator", "direct", "45", "100"}}) {
    const CliOutput o = Cli(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err, "");
  }
}

TEST(CliDirectEmulator, DeviceTypeAndModeEntry) {
  const CliOutput type = Cli({"--emulator", "--password", "7391", "direct", "A5"});
  EXPECT_EQ(type.status, 0) << type.out << type.err;
  // The result code first, then identification data (a version byte that is not zero),
  // the model code at payload bytes 6 and 7.
  EXPECT_EQ(type.out.rfind("rezult: \nerror: 0\nanswer: 00 02 ", 0), 0u) << type.out;
  const std::string answer = type.out.substr(type.out.find("answer: ") + 8);
  EXPECT_EQ(answer.substr(18, 5), "03 00") << answer;

  const CliOutput enter =
      Cli({"--emulator", "--password", "7391", "direct", "56", "04", "00", "00", "00", "30"});
  EXPECT_EQ(enter.status, 0) << enter.out;
  const CliOutput wrong =
      Cli({"--emulator", "--password", "7391", "direct", "56", "04", "12", "34", "56", "78"});
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.out.find("box: Ошибка: Неверный пароль\n"), std::string::npos) << wrong.out;
  EXPECT_NE(wrong.out.find("error: 4099\n"), std::string::npos);
}

TEST(DirectCommandEmulator, IdentifyModelOverThePseudoTerminal) {
  struct Row {
    int model;
    uint16_t code;
    uint32_t pictures;
  } rows[] = {
      {0, kModelCodeThird, 1},
      {kModelCodeFirst, kModelCodeFirst, 0},
      {kModelCodeSecond, kModelCodeSecond, 0},
      {77, 77, 0},
  };
  for (const Row& row : rows) {
    emu::EmulatorOptions options;
    options.model = row.model;
    test::RecordingUi ui;
    test::EmulatedLink rig(ui, options);
    ASSERT_TRUE(rig.Start()) << rig.error;
    SerialPort& port = rig.port;
    Settings& settings = rig.settings;
    ModelIdentity id;
    EXPECT_EQ(IdentifyModel(port, settings, id), 0) << row.model;
    EXPECT_EQ(id.modelCode, row.code);
    EXPECT_EQ(id.caps.pictures, row.pictures);
    EXPECT_EQ(id.caps.fontList, 0u);
    EXPECT_TRUE(ui.boxes.empty());
    // A wrong communication password: the register's refusal, and no model.
    settings.AccessPassword = "1111";
    EXPECT_EQ(IdentifyModel(port, settings, id), direct_error::kWrongPassword);
    EXPECT_EQ(id.modelCode, 0);
  }
}

}  // namespace
}  // namespace ptk
