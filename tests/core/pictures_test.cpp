// Pictures: the monochrome conversion, the display fit, 1-bit BMP files both ways, and the
// picture commands (upload, read back, print, insertion, BMP printing) against a register.
#include "core/programming/pictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/link/direct_command.h"
#include "core/programming/picture_image.h"
#include "virtual_link_fixture.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(PictureImage, MonochromeConversion) {
  struct Row {
    const char* name;
    PixelImage image;
    Bytes lines;
  } rows[] = {
      // 10 × 2, the left dot of each row black: two lines of 2 bytes, 80 00.
      {"left dots",
       {10, 2, 1,
        [] {
          Bytes p(20, 255);
          p[0] = p[10] = 0;
          return p;
        }()},
       {0x80, 0x00, 0x80, 0x00}},
      {"pure white", {9, 1, 1, Bytes(9, 255)}, {0x00, 0x00}},
      // Only exactly white stays white: 254 and a nearly white colour print.
      {"gray threshold", {3, 1, 1, {255, 254, 0}}, {0x60}},
      {"rgb threshold", {3, 1, 3, {255, 255, 255, /**/ 255, 255, 254, /**/ 254, 255, 255}}, {0x60}},
      // Width 9: the ninth dot is the top bit of the second byte, the rest stays clear.
      {"width not a multiple of 8",
       {9, 1, 1, {255, 255, 255, 255, 255, 255, 255, 255, 0}},
       {0x00, 0x80}},
      {"pixels missing", {4, 4, 1, Bytes(15, 0)}, {}},
      {"four channels", {1, 1, 4, Bytes(4, 0)}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const MonoPicture p = ToMonochrome(row.image);
    EXPECT_EQ(p.lines, row.lines);
    if (!row.lines.empty()) {
      EXPECT_EQ(p.width, row.image.width);
    }
  }
  EXPECT_EQ(PictureSizeBytes(10, 2), 3);  // ceil(20 / 8)
  EXPECT_EQ(PictureSizeText(10, 100), "Размер: 125 Б");
  EXPECT_EQ(PictureNumberText(5), "Номер: 5 ");
}

TEST(PictureImage, DisplayFit) {
  struct Row {
    int w, h, aw, ah;
    DisplayFit fit;
  } rows[] = {
      {400, 100, 200, 200, {200, 50, true}},   // wider: area-wide
      {100, 400, 200, 200, {50, 200, true}},   // taller: area-high
      {400, 400, 200, 200, {200, 200, true}},  // both: ry >= rx
      {150, 90, 200, 200, {150, 90, false}},   // smaller: as it is
      {300, 301, 200, 300, {200, 200, true}},  // rx 1.5 > ry 1.003: height 301 / 1.5 truncated
  };
  for (const Row& r : rows) {
    const DisplayFit f = FitPictureToArea(r.w, r.h, r.aw, r.ah);
    EXPECT_EQ(f.width, r.fit.width) << r.w << "x" << r.h;
    EXPECT_EQ(f.height, r.fit.height) << r.w << "x" << r.h;
    EXPECT_EQ(f.stretched, r.fit.stretched) << r.w << "x" << r.h;
  }
}

MonoPicture Pattern(int width, int height) {
  MonoPicture p = BlankPicture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.SetDot(x, y, (x * 7 + y * 3) % 5 == 0);
  return p;
}

// A BMP file as written by MonochromeBmp, rearranged to be top-down.
Bytes TopDown(const MonoPicture& p) {
  Bytes f = MonochromeBmp(p);
  const size_t offset = f[10], stride = ((p.width + 7) / 8 + 3) / 4 * 4;
  Bytes rows(f.begin() + static_cast<long>(offset), f.end());
  for (int y = 0; y < p.height; ++y)
    std::copy_n(rows.begin() + static_cast<long>((p.height - 1 - y) * stride), stride,
                f.begin() + static_cast<long>(offset + y * stride));
  const int32_t negative = -p.height;
  std::memcpy(&f[22], &negative, 4);
  return f;
}

TEST(PictureImage, BmpFilesRoundTripAndRefusals) {
  for (int width : {1, 8, 20, 33}) {
    SCOPED_TRACE(width);
    const MonoPicture p = Pattern(width, 5);
    Bytes bottomUp = MonochromeBmp(p);
    Bytes trailing = bottomUp;
    trailing.insert(trailing.end(), {0xAA, 0xBB, 0xCC, 0xDD, 0xEE});  // must not shift rows
    for (const Bytes* file : {&bottomUp, &trailing}) {
      BmpRows rows;
      ASSERT_EQ(ReadBmp(*file, rows), BmpError::None);
      EXPECT_FALSE(rows.topDown);
      EXPECT_EQ(rows.rowStride % 4, 0u);  // rows padded to 4 bytes
      EXPECT_EQ(BmpToPicture(rows), p);
    }
    BmpRows rows;
    ASSERT_EQ(ReadBmp(TopDown(p), rows), BmpError::None);
    EXPECT_TRUE(rows.topDown);
    EXPECT_EQ(BmpToPicture(rows), p);
  }

  const Bytes good = MonochromeBmp(Pattern(20, 3));
  auto with = [&good](size_t at, std::initializer_list<uint8_t> bytes) {
    Bytes f = good;
    std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<long>(at));
    return f;
  };
  struct Row {
    const char* name;
    Bytes file;
    BmpError error;
  } refused[] = {
      {"one byte short", Bytes(good.begin(), good.end() - 1), BmpError::Truncated},
      {"height beyond the file", with(22, {4, 0, 0, 0}), BmpError::Truncated},
      {"pixel offset beyond the file", with(10, {0xFF, 0xFF, 0, 0}), BmpError::Truncated},
      {"no BM", with(0, {'P', 'K'}), BmpError::NotBmp},
      {"headers cut", Bytes(good.begin(), good.begin() + 40), BmpError::NotBmp},
      {"24 bits", with(28, {24, 0}), BmpError::Malformed},
      {"compressed", with(30, {1, 0, 0, 0}), BmpError::Malformed},
      {"width 0", with(18, {0, 0, 0, 0}), BmpError::Malformed},
      {"height 0", with(22, {0, 0, 0, 0}), BmpError::Malformed},
      {"negative width", with(18, {0xFF, 0xFF, 0xFF, 0xFF}), BmpError::Malformed},
      {"pixels inside the headers", with(10, {20, 0, 0, 0}), BmpError::Malformed},
  };
  for (const Row& row : refused) {
    BmpRows rows;
    EXPECT_EQ(ReadBmp(row.file, rows), row.error) << row.name;
    EXPECT_TRUE(rows.rows.empty()) << row.name;
  }
}

class PictureLinkTest : public test::VirtualLinkTest {
 protected:
  PictureLinkTest() { virtualRegister.state().mode = 4; }
  StepProgress Counting() {
    return {[this](int total) { totals.push_back(total); }, [this] { ++steps; }};
  }
  std::vector<int> totals;
  int steps = 0;
};

TEST_F(PictureLinkTest, UploadReadBackAndCompareDotByDot) {
  const MonoPicture ten = ToMonochrome({10, 2, 1, [] {
                                          Bytes p(20, 255);
                                          p[0] = p[10] = 0;
                                          return p;
                                        }()});
  UploadResult up;
  ASSERT_EQ(UploadPicture(link, ten, Counting(), up), direct_error::kOk);
  EXPECT_EQ(Params(kCmdPictureLine), (std::vector<Bytes>{{0x80, 0x00}, {0x80, 0x00}}));
  EXPECT_EQ(Params(kCmdClosePicture).size(), 1u);
  EXPECT_EQ(up.number, 1);
  EXPECT_TRUE(up.memoryKnown);
  EXPECT_EQ(up.memory.count, 1);
  EXPECT_EQ(up.memory.freeBytes, emu::kPictureMemoryBytes - 4);
  EXPECT_EQ(totals, std::vector<int>{6});  // height + 4
  EXPECT_EQ(steps, 6);

  const MonoPicture big = Pattern(37, 23);
  ASSERT_EQ(UploadPicture(link, big, {}, up), direct_error::kOk);
  EXPECT_EQ(up.number, 2);
  MonoPicture back;
  totals.clear();
  steps = 0;
  ASSERT_EQ(ReadStoredPicture(link, 2, Counting(), back), direct_error::kOk);
  EXPECT_EQ(totals, (std::vector<int>{1, 25}));  // then height + 2
  EXPECT_EQ(steps, 25);
  EXPECT_EQ(back.width, 40);  // 8 × the width in bytes
  EXPECT_EQ(back.height, 23);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(back.Dot(x, y), big.Dot(x, y)) << x << "," << y;
  // Saved and read as a file, the same dots again.
  BmpRows rows;
  ASSERT_EQ(ReadBmp(MonochromeBmp(back), rows), BmpError::None);
  EXPECT_EQ(BmpToPicture(rows), back);
}

TEST_F(PictureLinkTest, MemoryChecksAndAnUploadLeftOpen) {
  // An upload an earlier failure left open is deleted as the last picture first.
  virtualRegister.state().pictures.pictures.push_back({2, Bytes(4, 0xFF)});
  virtualRegister.state().pictures.pictures.push_back({1, Bytes(3, 0x11)});
  virtualRegister.state().pictures.uploadOpen = true;
  UploadResult up;
  ASSERT_EQ(UploadPicture(link, Pattern(8, 1), {}, up), direct_error::kOk);
  EXPECT_EQ(Params(kCmdDeletePicture), std::vector<Bytes>{{0x02}});
  EXPECT_EQ(up.number, 2);
  EXPECT_EQ(virtualRegister.state().pictures.Count(), 2);

  // Too big by the program's count: refused with 14 before any line.
  commands.clear();
  EXPECT_EQ(UploadPicture(link, Pattern(576, 120), {}, up), direct_error::kNoMemory);
  EXPECT_TRUE(Params(kCmdPictureLine).empty());

  // 10 dots wide: the program counts 125 bytes for 100 lines, the register keeps 200; with
  // 150 free the register runs full at line 76, the upload is closed and nothing is kept.
  virtualRegister.state().pictures = {};
  virtualRegister.state().pictures.pictures.push_back(
      {2, Bytes(emu::kPictureMemoryBytes - 150, 0x00)});
  commands.clear();
  const int error = UploadPicture(link, Pattern(10, 100), {}, up);
  EXPECT_EQ(error, DirectErrorForResult(0x6E));
  EXPECT_EQ(Params(kCmdPictureLine).size(), 76u);
  EXPECT_EQ(Params(kCmdClosePicture).size(), 1u);
  EXPECT_EQ(virtualRegister.state().pictures.Count(), 1);
  EXPECT_FALSE(virtualRegister.state().pictures.uploadOpen);
}

TEST_F(PictureLinkTest, NumbersAndOffsetsRefusedBeforeSending) {
  MonoPicture p;
  const StepProgress none;
  struct Row {
    const char* name;
    int error;
  } rows[] = {
      {"read 0", ReadStoredPicture(link, 0, none, p)},
      {"read 256", ReadStoredPicture(link, 256, none, p)},
      {"print 0", PrintStoredPicture(link, 0, 0, true)},
      {"print negative offset", PrintStoredPicture(link, 1, -8, true)},
      {"print offset beyond 16 bits", PrintStoredPicture(link, 1, 65536, false)},
      {"delete 256", DeletePicture(link, 256)},
      {"header line 5", InsertPictureInReceiptText(link, ReceiptText::Header, 5, 1, 0, true, none)},
      {"footer line 11",
       InsertPictureInReceiptText(link, ReceiptText::Footer, 11, 1, 0, true, none)},
      {"insert picture 0",
       InsertPictureInReceiptText(link, ReceiptText::Footer, 1, 0, 0, true, none)},
  };
  for (const Row& row : rows) EXPECT_EQ(row.error, direct_error::kInvalidParameter) << row.name;
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(ReadStoredPicture(link, 7, none, p), DirectErrorForResult(0x6F));  // not stored
}

TEST_F(PictureLinkTest, OffsetsOnBothModelsAndTheInsertion) {
  struct Row {
    bool inEights;
    int offset;
    Bytes params;  // target, number, offset high, low
  } rows[] = {
      {true, 16, {0x01, 0x05, 0x00, 0x02}},   // third model: units of 8 dots
      {true, 15, {0x01, 0x05, 0x00, 0x01}},   // truncated
      {false, 16, {0x01, 0x05, 0x00, 0x10}},  // others: dots
      {false, 600, {0x01, 0x05, 0x02, 0x58}},
  };
  for (const Row& row : rows) {
    commands.clear();
    PrintStoredPicture(link, 5, row.offset, row.inEights);
    EXPECT_EQ(Params(kCmdPrintPicture), std::vector<Bytes>{row.params}) << row.offset;
  }

  // Footer line 0: ten empty footer lines, then the record in row 11.
  commands.clear();
  ASSERT_EQ(InsertPictureInReceiptText(link, ReceiptText::Footer, 0, 5, 16, true, Counting()),
            direct_error::kOk);
  std::vector<Bytes> writes = Params(0x50);
  ASSERT_EQ(writes.size(), 11u);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(writes[i], (Bytes{0x06, 0x00, static_cast<uint8_t>(11 + i), 0x01, 0x00}));
  EXPECT_EQ(writes[10], (Bytes{0x06, 0x00, 11, 0x01, 0x0A, 0x05, 0x00, 0x02}));
  EXPECT_EQ(totals, std::vector<int>{11});
  EXPECT_EQ(steps, 10);
  // Header line 4 is row 4; dots kept as such on a model without the units of 8.
  commands.clear();
  ASSERT_EQ(InsertPictureInReceiptText(link, ReceiptText::Header, 4, 3, 16, false, {}),
            direct_error::kOk);
  EXPECT_EQ(Params(0x50), (std::vector<Bytes>{{0x06, 0x00, 4, 0x01, 0x0A, 0x03, 0x00, 0x10}}));
}

TEST_F(PictureLinkTest, PrintingLinesAndABmpFileFromThePc) {
  ASSERT_EQ(PrintPictureLines(link, Pattern(12, 2), Counting()), direct_error::kOk);
  const std::vector<Bytes> lines = Params(kCmdPrintPictureLine);
  ASSERT_EQ(lines.size(), 2u);
  // target 1, repeat 1, offset 0, then ceil(12 / 8) bytes
  EXPECT_EQ(Bytes(lines[0].begin(), lines[0].begin() + 5), (Bytes{0x01, 0x00, 0x01, 0x00, 0x00}));
  EXPECT_EQ(lines[0].size(), 7u);

  const auto dir = std::filesystem::temp_directory_path() / "ptk-pictures-test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "p.bmp").string();
  MonoPicture p = BlankPicture(20, 3);
  for (int x = 0; x < 20; ++x) p.SetDot(x, 0, true);  // top row black across
  p.SetDot(19, 2, true);                              // a dot the 2 bytes do not reach
  Bytes file = MonochromeBmp(p);
  file.insert(file.end(), 7, 0x00);  // trailing bytes after the pixels
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  commands.clear();
  EXPECT_EQ(PrintBmpFile(link, path, 258, 3), kExchangeOk);
  // 0x01, repeat 258 (01 02), offset 3 (00 03), width / 8 = 2 bytes of each row from the top
  EXPECT_EQ(Params(kCmdPrintPictureLine),
            (std::vector<Bytes>{{0x01, 0x01, 0x02, 0x00, 0x03, 0xFF, 0xFF},
                                {0x01, 0x01, 0x02, 0x00, 0x03, 0x00, 0x00},
                                {0x01, 0x01, 0x02, 0x00, 0x03, 0x00, 0x00}}));

  struct Row {
    const char* name;
    std::string path;
    int repeat;
    std::string box;
  } refused[] = {
      {"no file", (dir / "none.bmp").string(), 1, "Нет указанного файла для печати!"},
      {"repeat beyond 16 bits", path, 65536, "Недопустимый параметр"},
      {"a folder", dir.string(), 1, "Нет указанного файла для печати!"},
      {"a device", "/dev/null", 1, "Нет указанного файла для печати!"},
  };
  file.resize(file.size() - 12);  // now short of its pixels
  const std::string cut = (dir / "cut.bmp").string();
  std::ofstream(cut, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  commands.clear();
  for (const Row& row : refused) {
    ui.boxes.clear();
    EXPECT_EQ(PrintBmpFile(link, row.path, row.repeat, 0), kExchangeLinkFailure);
    EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{row.box}) << row.name;
  }
  ui.boxes.clear();
  EXPECT_EQ(PrintBmpFile(link, cut, 1, 0), kExchangeLinkFailure);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Ошибка чтения из файла"});
  EXPECT_TRUE(commands.empty());
  std::filesystem::remove_all(dir);
}

TEST(PictureFiles, WholeFileReadRefusesWhatIsNoPictureFile) {
  const auto dir = std::filesystem::temp_directory_path() / "ptk-whole-file-test";
  std::filesystem::create_directories(dir);
  const auto put = [&](const char* name, size_t size) {
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    return path;
  };
  struct Row {
    const char* name;
    std::string path;
    uintmax_t limit;
    bool ok;
    size_t size;
  } rows[] = {
      {"an ordinary file", put("a.bmp", 100), 100, true, 100},
      {"an empty file", put("e.bmp", 0), 100, true, 0},
      {"one byte over the limit", put("b.bmp", 101), 100, false, 0},
      {"a folder", dir.string(), 100, false, 0},
      {"a missing file", (dir / "none.bmp").string(), 100, false, 0},
      {"a device that never ends", "/dev/zero", 100, false, 0},
  };
  for (const Row& row : rows) {
    std::vector<uint8_t> bytes(3, 0);
    EXPECT_EQ(ReadWholeFile(row.path, bytes, row.limit), row.ok) << row.name;
    EXPECT_EQ(bytes.size(), row.size) << row.name;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ptk
