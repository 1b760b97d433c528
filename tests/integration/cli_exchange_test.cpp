// ptk-cli exchange end to end: RunCli in this process against a scripted register on a
// real pseudo-terminal, the binary with its settings files, and --emulator.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/link/framing.h"
#include "support/cli_run.h"
#include "support/pty_peer.h"

namespace ptk {
namespace {

using test::CliOutput;
using test::PtyPeer;
using Bytes = std::vector<uint8_t>;

CliOutput Cli(const std::vector<std::string>& args) {
  return test::RunCliCaptured(args);
}

// Short waits so that failing paths end quickly in real time.
const char* kFast = "50,20,200,20,50,500,100";

class CliExchange : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(peer.ok()); }
  std::vector<std::string> Args(const std::vector<std::string>& verb) {
    return test::CliArgs(peer.path(), "9600", verb);
  }
  PtyPeer peer;
};

TEST_F(CliExchange, AnswersAndTheirOutput) {
  struct Row {
    const char* name;
    Bytes answer;
    std::vector<std::string> args;
    Bytes command;  // the payload the register received
    std::string out;
    int status;
  } rows[] = {
      {"success",
       {0x55, 0x00, 0x00},
       {"exchange", "47"},
       {0x73, 0x91, 0x47},
       "rezult:  00 - Ошибок нет. Команда выполнена.\nresult: 1\nanswer: 02 55 00 00 03 56\n",
       0},
      {"register error with parameters",
       {0x55, 0x8C, 0x00},
       {"exchange", "0x56", "02", "0x00", "1E"},
       {0x73, 0x91, 0x56, 0x02, 0x00, 0x1E},
       "box: Ошибка:  8C - Неверный пароль.\nrezult:  8C - Неверный пароль.\nresult: 4\n"
       "answer: 02 55 8C 00 03 DA\n",
       1},
      {"variable length",
       {0x55, 0x00, 0x10, 0x03, 0x20},
       {"exchange", "46", "--answer-length", "60", "--allow-short"},
       {0x73, 0x91, 0x46},
       "rezult:  00 - Ошибок нет. Команда выполнена.\nresult: 1\n"
       "answer: 02 55 00 10 03 20 03 65\n",
       0},
      {"no more data",
       {0x55, 0x18},
       {"exchange", "84", "--answer-length", "5"},
       {0x73, 0x91, 0x84},
       "rezult: \nresult: 2\nanswer: 02 55 18 03 4E\n",
       1},
      {"without decoding",
       {0x55, 0x8C, 0x00},
       {"exchange", "47", "--no-decode", "--delay", "10"},
       {0x73, 0x91, 0x47},
       "rezult:  00 - Ошибок нет. Команда выполнена.\nresult: 1\nanswer: 02 55 8C 00 03 DA\n",
       0},
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

TEST_F(CliExchange, SilentRegister) {
  peer.Run([](PtyPeer& p) { p.Drain(1000); });
  const CliOutput o = Cli(Args({"exchange", "47", "--timeouts", kFast}));
  peer.Stop();
  EXPECT_EQ(o.out, "box: Ошибка: Нет связи!\nrezult: \nresult: 0\n");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(peer.Received(), Bytes(5, ENQ));
}

TEST_F(CliExchange, NoAnswer) {
  bool served = false;
  peer.Run([&served](PtyPeer& p) {
    served = p.Expect(ENQ, 2000) && p.Send({ACK}) && p.ReceiveFrame(2000) && p.Send({ACK}) &&
             p.Expect(EOT, 2000);
  });
  const CliOutput o =
      Cli(Args({"exchange", "47", "--no-answer", "--timeouts", "500,500,2000,500,500"}));
  peer.Join();
  EXPECT_TRUE(served);
  EXPECT_EQ(o.out, "rezult: \nresult: 1\n");
  EXPECT_EQ(o.status, 0);
}

TEST_F(CliExchange, Trace) {
  const std::string trace =
      (std::filesystem::temp_directory_path() / ("ptk-cli-trace-" + std::to_string(getpid())))
          .string();
  peer.Run([](PtyPeer& p) { p.ServeCommand(Bytes{0x55, 0x00, 0x00}); });
  std::vector<std::string> args = {"--trace", trace};
  for (const std::string& a : Args({"exchange", "47"})) args.push_back(a);
  const CliOutput o = Cli(args);
  peer.Join();
  EXPECT_EQ(o.status, 0);
  std::ifstream in(trace);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(s.str().find("PC->  05"), std::string::npos) << s.str();
  EXPECT_NE(s.str().find("<-PTK 02 55 00 00 03 56"), std::string::npos) << s.str();
  std::filesystem::remove(trace);
}

TEST_F(CliExchange, UsageErrors) {
  struct Row {
    std::vector<std::string> args;
  } rows[] = {
      {{}},
      {{"--port"}},
      {{"--baud", "4800", "exchange", "47"}},
      {{"--password", "12a4", "exchange", "47"}},
      {{"--password", "12345", "exchange", "47"}},
      {{"--port", "ttyS0", "exchange", "47"}},
      {{"--bogus", "exchange", "47"}},
      {{"--port", "COM1", "--emulator", "exchange", "47"}},
      {{"nonsense"}},
      {{"--emulator"}},
      // A missing value is not taken from the next option (no file "--emulator").
      {{"--trace", "--emulator", "state"}},
      {{"--port", "--baud", "9600", "state"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.empty() ? "" : row.args.front() + " ... " + row.args.back());
    const CliOutput o = Cli(row.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    // One line, not the line and the whole usage.
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }
  EXPECT_FALSE(std::filesystem::exists("--emulator"));
  // Arguments of the verb itself: one line on err, nothing sent.
  const std::vector<std::vector<std::string>> verbRows = {
      {"exchange"},
      {"exchange", "100"},
      {"exchange", "47", "zz"},
      {"exchange", "47", "--answer-length"},
      {"exchange", "47", "--answer-length", "261"},
      {"exchange", "47", "--timeouts", "1,2,3"},
      {"exchange", "47", "--timeouts", "1,2,3,4,5"},
      {"exchange", "47", "--delay", "-1"},
      {"exchange", "47", "--frobnicate"},
      {"date", "the 15th"},
      {"date", "15.06.26", "--now"},
      {"time", "noon"},
      // Output that cannot be written is refused before the first command.
      {"tables", "dump", "/nonexistent-folder/model.tables"},
      {"tables", "dump", "/"},
      {"firmware", "read", "ptk", "/nonexistent-folder/reference.bin"},
      {"firmware", "read", "fp", "/"},
  };
  for (const auto& verbArgs : verbRows) {
    SCOPED_TRACE(verbArgs.back());
    const CliOutput o = Cli(Args(verbArgs));
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }
  EXPECT_TRUE(peer.Received().empty());
}

TEST(CliUsage, HelpPrintsTheUsage) {
  const CliOutput o = Cli({"--help"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.rfind("usage: ptk-cli ", 0), 0u) << o.out;
  EXPECT_NE(o.out.find("\n  tables dump [FILE]"), std::string::npos) << o.out;
  EXPECT_EQ(o.err, "");
}

TEST(CliHexByte, Parse) {
  struct Row {
    const char* text;
    bool ok;
    uint8_t value;
  } rows[] = {{"47", true, 0x47}, {"0x47", true, 0x47}, {"0XfF", true, 0xFF}, {"a", true, 0x0A},
              {"00", true, 0x00}, {"", false, 0},       {"0x", false, 0},     {"100", false, 0},
              {"4g", false, 0},   {"-1", false, 0},     {"0x123", false, 0},  {" 4", false, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    uint8_t v = 0x99;
    EXPECT_EQ(cli::ParseHexByte(row.text, v), row.ok);
    if (row.ok) {
      EXPECT_EQ(v, row.value);
    }
  }
}

// The binary in a working directory of its own: the settings files give the port and the
// password when the options do not.
TEST_F(CliExchange, BinaryTakesTheSettingsFiles) {
  const char* bin = std::getenv("PTK_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  char dirTemplate[] = "/tmp/ptk-cli-exchange-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  ASSERT_NE(dir, nullptr);
  std::ofstream(std::string(dir) + "/num_port.ini") << peer.path() << "\n";
  std::ofstream(std::string(dir) + "/pass_fr.ini") << "1234\n";
  std::optional<Bytes> command;
  peer.Run([&command](PtyPeer& p) { command = p.ServeCommand(Bytes{0x55, 0x00, 0x00}); });
  const std::string line =
      "cd '" + std::string(dir) + "' && timeout 30 '" + bin + "/src/cli/ptk-cli' exchange 47 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buf[1024];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  const int rc = pclose(pipe);
  peer.Join();
  EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 0) << out;
  EXPECT_EQ(out,
            "rezult:  00 - Ошибок нет. Команда выполнена.\nresult: 1\nanswer: 02 55 00 00 03 56\n");
  EXPECT_EQ(command, (Bytes{0x12, 0x34, 0x47}));
  // The settings files are read, never written.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            2);
  std::filesystem::remove_all(dir);
}

TEST(CliEmulator, ExchangeWithTheVirtualRegister) {
  // 0x45: the state code query, answered by the virtual register with result code 0.
  const CliOutput o = Cli({"--emulator", "--password", "7391", "exchange", "45"});
  EXPECT_EQ(o.status, 0) << o.out << o.err;
  EXPECT_NE(o.out.find("result: 1\nanswer: 02 "), std::string::npos) << o.out;
  // A wrong communication password: the register's own error.
  const CliOutput wrong = Cli({"--emulator", "--password", "1111", "exchange", "45"});
  EXPECT_EQ(wrong.status, 1);
  EXPECT_EQ(wrong.out.rfind("box: Ошибка:  8C - Неверный пароль.\n", 0), 0u) << wrong.out;
}

// date and time print what the other verbs print: the boxes, then the result lines.
TEST(CliEmulator, DateAndTimePrintTheBoxesThenTheResult) {
  struct Row {
    std::vector<std::string> verb;
    std::string out;
    int status;
  } rows[] = {
      {{"date", "16.06.26"},
       "box: Предупреждение: Требуется повторный ввод даты\n"
       "rezult:  16 - Требуется подтверждение ввода даты.\nresult: 4\n",
       1},
      {{"date", "16.06.2026", "--confirm"},
       "rezult:  00 - Ошибок нет. Команда выполнена.\nresult: 1\n",
       0},
      {{"time", "9:05:00"}, "rezult:  00 - Ошибок нет. Команда выполнена.\nresult: 1\n", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.verb[0]);
    std::vector<std::string> args = {"--emulator", "--password", "7391"};
    args.insert(args.end(), row.verb.begin(), row.verb.end());
    const CliOutput o = Cli(args);
    EXPECT_EQ(o.out, row.out);
    EXPECT_EQ(o.status, row.status);
  }
}

}  // namespace
}  // namespace ptk
