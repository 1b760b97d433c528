// Firmware reading and comparison (the block arithmetic, complete, stopped, failed and
// short transfers, the verdicts) and the date and time commands with their confirmation.
#include "core/programming/firmware.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/shell/date_time.h"
#include "virtual_link_fixture.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

TEST(FirmwareBlocks, WhatEachBlockKeeps) {
  struct Row {
    uint32_t size, written;
    size_t block;
    size_t bytes;
    bool ends;
  } rows[] = {
      {500, 0, 250, 250, false},  // 500 bytes: two whole blocks
      {500, 250, 250, 250, true},
      {30, 0, 28, 28, false},  // 30 bytes of ФП: 28, then 2 of the next block
      {30, 28, 28, 2, true},
      {28, 0, 28, 28, true},  // exactly one block
      {0, 0, 250, 0, true},
      {10, 20, 28, 0, true},  // more than the size already: nothing more
  };
  for (const Row& r : rows) {
    const FirmwareBlockTake t = TakeFirmwareBlock(r.size, r.written, r.block);
    EXPECT_EQ(t.bytes, r.bytes) << r.size << " " << r.written;
    EXPECT_EQ(t.endsAtSize, r.ends) << r.size << " " << r.written;
  }
}

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class FirmwareLinkTest : public test::VirtualLinkTest {
 protected:
  FirmwareLinkTest() {
    dir = fs::temp_directory_path() /
          ("ptk-firmware-" +
           std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir);
    virtualRegister.state().mode = 4;
    abort.onFirmwareStop = [this] { ++stopHooks; };
  }
  ~FirmwareLinkTest() override { fs::remove_all(dir); }
  FirmwareProgress Recording() {
    return {[this](uint32_t size) { sizes.push_back(size); },
            [this](uint64_t gauge) { gauges.push_back(gauge); }};
  }
  size_t NextBlocks() const { return Params(kCmdFirmwareBlock).size(); }

  fs::path dir;
  UserAbort abort;
  int stopHooks = 0;
  std::vector<uint32_t> sizes;
  std::vector<uint64_t> gauges;
};

TEST_F(FirmwareLinkTest, CompleteReadsWriteTheImage) {
  struct Row {
    FirmwareSource source;
    uint32_t size;
    size_t nextBlocks;  // 0x84 commands, the one answered 0x18 included
  } rows[] = {
      {FirmwareSource::Ptk, 500, 3},  // 250 + 250, then "no more data"
      {FirmwareSource::Ptk, 600, 3},  // 250 + 250 + 100 of the padded block
      {FirmwareSource::Fp, 30, 2},    // 28 + 2
      {FirmwareSource::Fp, 28, 2},    // 28, then "no more data"
      {FirmwareSource::Ptk, 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    commands.clear();
    gauges.clear();
    virtualRegister.firmware().ptkSize = virtualRegister.firmware().fpSize = row.size;
    const fs::path out = dir / FirmwareFileName(row.source);
    const uint64_t slept = clock.slept();
    const FirmwareRead r = ReadFirmware(link, abort, row.source, out.string(), Recording());
    EXPECT_EQ(r.status, kFirmwareComplete);
    EXPECT_EQ(r.size, row.size);
    EXPECT_EQ(Params(kCmdFirmwareStart), std::vector<Bytes>{{static_cast<uint8_t>(row.source)}});
    EXPECT_EQ(NextBlocks(), row.nextBlocks);
    // A second's wait before every block, and the exchange's 200 ms delay.
    EXPECT_GE(clock.slept() - slept, row.nextBlocks * 1200);
    EXPECT_EQ(ReadAll(out), emu::FirmwareImage(static_cast<uint8_t>(row.source), row.size));
    EXPECT_EQ(gauges.size(), row.nextBlocks);  // by the block size after every command
    EXPECT_EQ(gauges.back(), row.nextBlocks * FirmwareBlockSize(row.source));
    EXPECT_FALSE(fs::exists(out.string() + ".tmp"));
  }
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(FirmwareReadText(FirmwareSource::Fp), "ПО ФП считано в файл PO_FP.bin.");
}

TEST_F(FirmwareLinkTest, StoppedFailedOrShortReadsKeepThePreviousFile) {
  virtualRegister.firmware().ptkSize = 1000;
  const fs::path out = dir / "PO_KKM.bin";
  struct Row {
    const char* name;
    std::function<void()> afterFirstBlock;
    int status;
    std::vector<std::string> boxes;
    int stopHooks;
  } rows[] = {
      {"stopped",
       [this] { abort.stopRequested = true; },
       kFirmwareStopped,
       {"Прервано пользователем!"},
       1},
      {"refused",
       [this] { virtualRegister.state().mode = 0; },
       kExchangeDeviceError,
       {" 66 - Команда не реализуется в данном режиме."},
       0},
      {"ended early",
       [this] { virtualRegister.firmware().source = 0; },
       0,
       {"Нет данных для передачи"},
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteAll(out, {'O', 'L', 'D'});
    virtualRegister.state().mode = 4;
    ui.boxes.clear();
    stopHooks = 0;
    bool done = false;
    FirmwareProgress p;
    p.advanced = [&](uint64_t) {
      if (!done) row.afterFirstBlock();
      done = true;
    };
    const FirmwareRead r = ReadFirmware(link, abort, FirmwareSource::Ptk, out.string(), p);
    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(ui.BoxTexts(), row.boxes);
    EXPECT_EQ(stopHooks, row.stopHooks);
    EXPECT_EQ(ReadAll(out), (Bytes{'O', 'L', 'D'}));
    EXPECT_FALSE(fs::exists(out.string() + ".tmp"));
  }
  // A stop asked for before the start sends nothing at all.
  commands.clear();
  abort.stopRequested = true;
  uint32_t size = 0;
  EXPECT_EQ(StartFirmwareTransfer(link, abort, FirmwareSource::Ptk, size), kFirmwareStopped);
  EXPECT_TRUE(commands.empty());
}

TEST_F(FirmwareLinkTest, ComparisonVerdicts) {
  virtualRegister.firmware().ptkSize = 520;
  virtualRegister.firmware().fpSize = 30;
  const Bytes ptk = emu::FirmwareImage(1, 520);
  Bytes changed = ptk;
  changed[517] ^= 0x01;
  struct Row {
    const char* name;
    FirmwareSource source;
    std::optional<Bytes> reference;
    FirmwareVerdict verdict;
    std::string box;
    size_t nextBlocks;
  } rows[] = {
      {"equal", FirmwareSource::Ptk, ptk, FirmwareVerdict::Same,
       "ПО ПТК соответствует эталонной версии!", 3},
      {"equal ФП", FirmwareSource::Fp, emu::FirmwareImage(2, 30), FirmwareVerdict::Same,
       "ПО ФП соответствует эталонной версии!", 2},
      {"different", FirmwareSource::Ptk, changed, FirmwareVerdict::Different,
       "ПО ПТК не соответствует эталонной версии!", 3},
      {"one byte shorter", FirmwareSource::Ptk, Bytes(ptk.begin(), ptk.end() - 1),
       FirmwareVerdict::Different, "ПО ПТК не соответствует эталонной версии!", 0},
      {"no reference", FirmwareSource::Ptk, std::nullopt, FirmwareVerdict::NoReference,
       "Нет указанного файла для проверки ПО!", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path reference = dir / "reference.bin";
    fs::remove(reference);
    if (row.reference) WriteAll(reference, *row.reference);
    commands.clear();
    ui.boxes.clear();
    const fs::path out = dir / FirmwareFileName(row.source);
    EXPECT_EQ(CompareFirmware(link, abort, row.source, reference.string(), out.string()),
              row.verdict);
    EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{row.box});
    EXPECT_EQ(NextBlocks(), row.nextBlocks);
  }
  // The comparison's stop also runs the window's hook and keeps no partial output.
  WriteAll(dir / "reference.bin", ptk);
  fs::remove(dir / "PO_KKM.bin");
  abort.onFirmwareStop = [this] { ++stopHooks; };
  FirmwareProgress p;
  p.advanced = [this](uint64_t) { abort.stopRequested = true; };
  EXPECT_EQ(CompareFirmware(link, abort, FirmwareSource::Ptk, (dir / "reference.bin").string(),
                            (dir / "PO_KKM.bin").string(), p),
            FirmwareVerdict::Stopped);
  EXPECT_EQ(stopHooks, 1);
  EXPECT_FALSE(fs::exists(dir / "PO_KKM.bin"));
  EXPECT_FALSE(fs::exists(dir / "PO_KKM.bin.tmp"));
}

TEST_F(FirmwareLinkTest, ProgrammingModeWithTheSystemAdministratorsPassword) {
  virtualRegister.state().mode = 0;
  EXPECT_EQ(EnterFirmwareProgramming(link, abort), kExchangeOk);
  EXPECT_EQ(virtualRegister.state().mode, 4);
  // password 00000030 from table 3 row 30 field 1
  EXPECT_EQ(Params(0x56), (std::vector<Bytes>{{0x04, 0x00, 0x00, 0x00, 0x30}}));
}

TEST_F(FirmwareLinkTest, DateAndTimeFrames) {
  struct Row {
    const char* text;
    bool date;
    Bytes params;  // nothing: refused
  } rows[] = {
      {"05.03.2024", true, {0x05, 0x03, 0x24}},
      {"31/12/99", true, {0x31, 0x12, 0x99}},
      {"5.03.2024", true, {}},
      {"32.01.2024", true, {}},
      {"01.13.24", true, {}},
      {"01.01.024", true, {}},
      {"9:07:05", false, {0x09, 0x07, 0x05}},  // a one-digit hour
      {"23:59:59", false, {0x23, 0x59, 0x59}},
      {"24:00:00", false, {}},
      {"12:5:00", false, {}},
      {"12:00", false, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::vector<uint8_t> frame;
    if (row.date) {
      if (auto d = ParseDateText(row.text)) frame = SetDateFrame(link, *d);
    } else if (auto t = ParseTimeText(row.text)) {
      frame = SetTimeFrame(link, *t);
    }
    if (row.params.empty()) {
      EXPECT_TRUE(frame.empty());
      continue;
    }
    Bytes expected = {0x73, 0x91, static_cast<uint8_t>(row.date ? 0x64 : 0x4B)};
    expected.insert(expected.end(), row.params.begin(), row.params.end());
    EXPECT_EQ(frame, expected);
  }
}

TEST_F(FirmwareLinkTest, DateConfirmationWarnsOncePerRefusal) {
  // The register's answers in turn, and whether the window warns after each.
  const uint8_t codes[] = {0x16, 0x16, 0x00, 0x16, 0x9C, 0x16};
  const bool warns[] = {true, false, false, true, false, true};
  size_t next = 0;
  reg.answerFor = [&](std::span<const uint8_t>) { return Bytes{0x55, codes[next++], 0x00}; };
  DateConfirmation rule;
  for (size_t i = 0; i < std::size(codes); ++i) {
    const int status = SetDate(link, {5, 3, 2024});
    EXPECT_EQ(rule.AfterSetDate(link, status), warns[i]) << i;
  }
  // 0x16 never gets a box of its own; 0x9C does.
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{" 9C - Смена открыта, операция невозможна."});

  // Against the register: another date is taken the second time it is sent.
  reg.answerFor = [this](std::span<const uint8_t> c) { return virtualRegister.Execute(c).payload; };
  virtualRegister.SetHostTime([] { return int64_t{1'700'000'000}; });  // 14.11.2023
  EXPECT_EQ(SetDateConfirmed(link, {5, 3, 24}), kExchangeOk);
  EXPECT_EQ(virtualRegister.Now().year, 2024);
  EXPECT_EQ(virtualRegister.Now().month, 3);
  EXPECT_EQ(SetTime(link, {9, 7, 5}), kExchangeOk);
  EXPECT_EQ(virtualRegister.Now().hour, 9);
}

}  // namespace
}  // namespace ptk
