// ptk-cli tables dump and load end to end: one virtual register's tables onto a second
// one over pseudo-terminals, with the exchanges' delays skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/link/encoding.h"
#include "core/programming/field_catalogue.h"
#include "emulator/emulator_host.h"
#include "emulator/virtual_register.h"
#include "support/cli_run.h"
#include "support/fake_clock.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

using test::NoDelayClock;

test::CliOutput Cli(const std::string& port, const std::string& password,
                    const std::vector<std::string>& verb) {
  NoDelayClock clock;
  return test::RunCliCaptured(test::CliArgs(port, "115200", verb, password), clock);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliTables : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("ptk-cli-tables-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(a.Start());
    ASSERT_TRUE(b.Start());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string File(const char* name) const { return (dir / name).string(); }

  std::filesystem::path dir;
  emu::EmulatorHost a;
  emu::EmulatorHost b;
};

TEST_F(CliTables, DumpOfOneRegisterLoadsOntoAnotherAlike) {
  // The first register, programmed by hand: texts, numbers, a picture in the header, an
  // attribute name and a new communication password.
  a.WithRegister([](emu::VirtualRegister& r) {
    emu::TableStore& t = r.state().tables;
    t.Set({2, 1, 23}, {0x00, 0x30});
    t.Set({2, 1, 11}, {0x04});
    t.Set({2, 1, 40}, {0x00});
    t.Set({3, 12, 1}, {0x00, 0x12, 0x34, 0x56});
    t.Set({3, 12, 2}, EncodeClassicText("ИВАНОВА \"СТАРШАЯ\""));
    t.Set({6, 3, 1}, {0x0A, 0x03, 0x00, 0x0A, 0x5C});
    t.Set({7, 16, 1}, EncodeClassicText(""));
    t.Set({8, 3, 1}, {0x07, 0x50});
    Bytes name = Utf8ToCp866("ДИСКОНТНАЯ КАРТА");
    name.resize(24, 0);
    t.Set({15, 100, 1}, name);
  });
  const test::CliOutput dumpA = Cli(a.SlavePath(), "0030", {"tables", "dump", File("a.txt")});
  ASSERT_EQ(dumpA.status, 0) << dumpA.out << dumpA.err;
  const std::string textA = ReadFile(File("a.txt"));
  EXPECT_NE(textA.find("\n3 12 2 = \"ИВАНОВА \\\"СТАРШАЯ\\\"\"\n"), std::string::npos) << textA;
  EXPECT_NE(textA.find("\n6 3 1 = \"{IMG 3:10}\\\\\\\\\"\n"), std::string::npos) << textA;
  EXPECT_NE(textA.find("\n8 3 1 = 7,50\n"), std::string::npos);

  const test::CliOutput load =
      Cli(b.SlavePath(), "7391", {"tables", "load", File("a.txt"), "--mode-password", "30"});
  EXPECT_EQ(load.status, 0) << load.out << load.err;
  EXPECT_NE(load.out.find("written: 233, skipped: 0, differences: 0"), std::string::npos)
      << load.out;

  // The second register now wants the new communication password, and holds the same.
  const test::CliOutput dumpB = Cli(b.SlavePath(), "0030", {"tables", "dump", File("b.txt")});
  ASSERT_EQ(dumpB.status, 0) << dumpB.out << dumpB.err;
  EXPECT_EQ(ReadFile(File("b.txt")), textA);
  std::map<emu::FieldAddress, Bytes> tablesA, tablesB;
  a.WithRegister([&](emu::VirtualRegister& r) { tablesA = r.state().tables.all(); });
  b.WithRegister([&](emu::VirtualRegister& r) {
    tablesB = r.state().tables.all();
    EXPECT_EQ(r.state().mode, 0);  // programming mode left at the end
  });
  EXPECT_EQ(tablesB, tablesA);
}

TEST_F(CliTables, LoadReportsWhatItCannotDo) {
  {
    std::ofstream f(File("in.txt"), std::ios::binary);
    f << "# two fields\n7 1 1 = \"ХЛЕБ\"\n15 1 1 = \"ИНН\"\n";
  }
  emu::EmulatorOptions firstModel;
  firstModel.model = kModelCodeFirst;
  emu::EmulatorHost c(firstModel);
  ASSERT_TRUE(c.Start());
  const test::CliOutput load =
      Cli(c.SlavePath(), "7391", {"tables", "load", File("in.txt"), "--mode-password", "30"});
  EXPECT_EQ(load.status, 0) << load.out;
  EXPECT_EQ(load.out,
            "skipped: 15 1 1 (not on this model)\n"
            "written: 1, skipped: 1, differences: 0\n");

  const test::CliOutput wrong =
      Cli(a.SlavePath(), "7391", {"tables", "load", File("in.txt"), "--mode-password", "31"});
  EXPECT_EQ(wrong.status, 1);
  EXPECT_EQ(wrong.out, "box: Ошибка:  8C - Неверный пароль.\n");

  {
    std::ofstream f(File("bad.txt"), std::ios::binary);
    f << "7 1 1 = \"ХЛЕБ\"\n2 1 12 = 1\n";
  }
  std::ofstream(File("empty.txt"), std::ios::binary) << "# nothing but a comment\n\n";
  std::filesystem::create_directories(dir / "folder.txt");
  struct Row {
    std::vector<std::string> verb;
    std::string err;
  } usage[] = {
      {{"tables", "load", File("in.txt")}, "expected FILE --mode-password"},
      {{"tables", "load", File("in.txt"), "--mode-password", "3x"}, "expected FILE"},
      {{"tables", "load", File("bad.txt"), "--mode-password", "30"}, "bad.txt:2: no such field"},
      {{"tables", "copy"}, "expected dump [FILE] or load"},
      {{"tables", "load", File("empty.txt"), "--mode-password", "30"}, "no field to write"},
      {{"tables", "load", File("folder.txt"), "--mode-password", "30"}, "cannot read"},
      {{"tables", "load", File("missing.txt"), "--mode-password", "30"}, "cannot read"},
  };
  for (const Row& row : usage) {
    const test::CliOutput o = Cli(a.SlavePath(), "7391", row.verb);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find(row.err), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
}

}  // namespace
}  // namespace ptk
