// ptk-cli firmware read and compare end to end against the virtual register on a
// pseudo-terminal, with small firmware images and the exchanges' waits skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "cli/cli.h"
#include "emulator/emulator_host.h"
#include "emulator/virtual_register.h"
#include "support/cli_run.h"
#include "support/fake_clock.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

using test::NoDelayClock;

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CliFirmware : public ::testing::Test {
 protected:
  CliFirmware() : host(Options()) {}
  static emu::EmulatorOptions Options() {
    emu::EmulatorOptions o;
    o.ptkFirmwareSize = 600;
    o.fpFirmwareSize = 30;
    return o;
  }
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("ptk-cli-firmware-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    previous = fs::current_path();
    fs::current_path(dir);  // the default files go to the working folder
    ASSERT_TRUE(host.Start());
  }
  void TearDown() override {
    fs::current_path(previous);
    fs::remove_all(dir);
  }
  test::CliOutput Cli(const std::vector<std::string>& verb) {
    NoDelayClock clock;
    return test::RunCliCaptured(test::CliArgs(host.SlavePath(), "115200", verb), clock);
  }

  fs::path dir, previous;
  emu::EmulatorHost host;
};

TEST_F(CliFirmware, ReadThenCompare) {
  const test::CliOutput read = Cli({"firmware", "read", "ptk", "reference.bin"});
  ASSERT_EQ(read.status, 0) << read.out << read.err;
  EXPECT_EQ(read.out, "read: 600 bytes into reference.bin\n");
  EXPECT_NE(read.err.find("\rfirmware: 600 / 600 bytes\n"), std::string::npos) << read.err;
  EXPECT_EQ(ReadAll("reference.bin"), emu::FirmwareImage(1, 600));
  host.WithRegister([](emu::VirtualRegister& r) { EXPECT_EQ(r.state().mode, 0); });  // left

  struct Row {
    const char* name;
    std::function<void()> prepare;
    int status;
    std::string box;
  } rows[] = {
      {"equal", [] {}, 0, "box: Информация: ПО ПТК соответствует эталонной версии!\n"},
      {"different",
       [] {
         std::fstream f("reference.bin", std::ios::in | std::ios::out | std::ios::binary);
         f.seekp(599);
         f.put('\x5A');
       },
       1, "box: Ошибка: ПО ПТК не соответствует эталонной версии!\n"},
      {"short reference", [] { fs::resize_file("reference.bin", 599); }, 1,
       "box: Ошибка: ПО ПТК не соответствует эталонной версии!\n"},
      {"no reference", [] { fs::remove("reference.bin"); }, 1,
       "box: Ошибка: Нет указанного файла для проверки ПО!\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.prepare();
    const test::CliOutput o = Cli({"firmware", "compare", "ptk", "reference.bin"});
    EXPECT_EQ(o.status, row.status) << o.err;
    EXPECT_EQ(o.out, row.box);
  }
  // The comparison's own read lands in the default file.
  EXPECT_EQ(ReadAll("PO_KKM.bin"), emu::FirmwareImage(1, 600));

  const test::CliOutput fp = Cli({"firmware", "read", "fp"});
  ASSERT_EQ(fp.status, 0) << fp.out << fp.err;
  EXPECT_NE(fp.out.find("box: Информация: ПО ФП считано в файл PO_FP.bin.\n"), std::string::npos);
  EXPECT_EQ(ReadAll("PO_FP.bin"), emu::FirmwareImage(2, 30));

  EXPECT_EQ(Cli({"firmware", "read", "kkm"}).status, 2);
  EXPECT_EQ(Cli({"firmware", "compare", "fp"}).status, 2);
}

}  // namespace
}  // namespace ptk
