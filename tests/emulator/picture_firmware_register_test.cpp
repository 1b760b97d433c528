// The register's picture memory (state, upload, read back, delete, full, refusals),
// pictures on the tape and in the receipt texts, the state file, and the firmware blocks.
#include <gtest/gtest.h>

#include "core/link/direct_command.h"
#include "core/link/encoding.h"
#include "emulator/state_file.h"
#include "emulator/virtual_register.h"
#include "support/fake_clock.h"

namespace ptk::emu {
namespace {

using Bytes = std::vector<uint8_t>;

class PictureRegisterTest : public ::testing::Test {
 protected:
  PictureRegisterTest() { third.state().mode = 4; }
  Bytes Run(VirtualRegister& r, uint8_t code, Bytes params = {}) {
    Bytes payload = {0x73, 0x91, code};
    payload.insert(payload.end(), params.begin(), params.end());
    return r.Execute(payload).payload;
  }
  uint8_t Code(VirtualRegister& r, uint8_t code, Bytes params = {}) {
    return Run(r, code, std::move(params)).at(1);
  }
  std::vector<std::string> NewTape(VirtualRegister& r, size_t from) {
    std::vector<std::string> lines = r.tape().Lines();
    return {lines.begin() + static_cast<long>(from), lines.end()};
  }

  test::FakeClock clock;
  VirtualRegister third{clock, kModelCodeThird};
  VirtualRegister first{clock, kModelCodeFirst};
};

TEST_F(PictureRegisterTest, MemoryUploadReadBackAndDelete) {
  // marker, result, free (high, low), count, upload-open flag
  EXPECT_EQ(Run(third, 0x8C), (Bytes{0x55, 0x00, 0x20, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Code(third, 0x8B, {0x81}), 0x00);
  EXPECT_EQ(Run(third, 0x8C), (Bytes{0x55, 0x00, 0x1F, 0xFF, 0x01, 0x01}));  // open, counted
  EXPECT_EQ(Code(third, 0x9F, {0x01}), 0x6F);        // not closed yet: cannot be read
  EXPECT_EQ(Code(third, 0x8B, {0xFF, 0x00}), 0x14);  // another width
  EXPECT_EQ(Code(third, 0x8B, {0xFF}), 0x00);
  EXPECT_EQ(Run(third, 0x9E), (Bytes{0x55, 0x00, 0x01}));  // the new number
  EXPECT_EQ(Code(third, 0x9E), 0x66);                      // nothing open
  EXPECT_EQ(Run(third, 0x9F, {0x01}), (Bytes{0x55, 0x00, 0x01, 0x00, 0x02}));
  EXPECT_EQ(Run(third, 0x86), (Bytes{0x55, 0x00, 0x81}));
  EXPECT_EQ(Run(third, 0x86), (Bytes{0x55, 0x00, 0xFF}));
  EXPECT_EQ(Code(third, 0x86), 0x6B);  // no more lines

  for (uint8_t b : {0x02, 0x03}) {
    Code(third, 0x8B, {b});
    Code(third, 0x9E);
  }
  EXPECT_EQ(Code(third, 0x8A, {0x02}), 0x00);  // 3 becomes 2
  EXPECT_EQ(Run(third, 0x9F, {0x02}), (Bytes{0x55, 0x00, 0x01, 0x00, 0x01}));
  EXPECT_EQ(Run(third, 0x86), (Bytes{0x55, 0x00, 0x03}));
  EXPECT_EQ(Code(third, 0x8A, {0x03}), 0x6F);
  EXPECT_EQ(Code(third, 0x8A, {0x00}), 0x00);  // all
  EXPECT_EQ(Run(third, 0x8C), (Bytes{0x55, 0x00, 0x20, 0x00, 0x00, 0x00}));

  struct Refusal {
    const char* name;
    VirtualRegister* r;
    uint8_t mode, code;
    Bytes params;
    uint8_t result;
  } refusals[] = {
      {"no pictures on the first model", &first, 4, 0x8C, {}, 0x7A},
      {"uploading outside programming", &third, 1, 0x8B, {0x01}, 0x66},
      {"deleting outside programming", &third, 0, 0x8A, {0x00}, 0x66},
      {"a line wider than the paper", &third, 4, 0x8B, Bytes(73, 0x01), 0x14},
      {"printing to another target", &third, 4, 0x8D, {0x02, 0x01, 0x00, 0x00}, 0x6D},
      {"printing a missing picture", &third, 4, 0x8D, {0x01, 0x01, 0x00, 0x00}, 0x6F},
  };
  for (const Refusal& f : refusals) {
    f.r->state().mode = f.mode;
    EXPECT_EQ(Code(*f.r, f.code, f.params), f.result) << f.name;
  }
}

TEST_F(PictureRegisterTest, FullMemoryThrowsTheUploadAway) {
  third.state().pictures.pictures.push_back({72, Bytes(kPictureMemoryBytes - 100, 0x00)});
  for (int i = 0; i < 2; ++i) EXPECT_EQ(Code(third, 0x8B, Bytes(40, 0x55)), 0x00);
  EXPECT_EQ(Code(third, 0x8B, Bytes(40, 0x55)), 0x6E);
  EXPECT_EQ(Run(third, 0x8C), (Bytes{0x55, 0x00, 0x00, 0x64, 0x01, 0x00}));  // 100 free again
  EXPECT_EQ(third.state().pictures.Count(), 1);
}

TEST_F(PictureRegisterTest, PicturesOnTheTape) {
  // Two rows, 81 and FF: the two rows share one tape line.
  Code(third, 0x8B, {0x81});
  Code(third, 0x8B, {0xFF});
  Code(third, 0x9E);
  size_t from = third.tape().LineCount();
  EXPECT_EQ(Code(third, 0x8D, {0x01, 0x01, 0x00, 0x01}), 0x00);  // offset 1: 8 dots here
  EXPECT_EQ(NewTape(third, from), std::vector<std::string>{"        █▄▄▄▄▄▄█"});

  // Double height: every row twice.
  third.state().tables.Set({kSettingsTable, 1, settings_field::kDoubleImageHeight}, {1});
  from = third.tape().LineCount();
  Code(third, 0x8D, {0x01, 0x01, 0x00, 0x00});
  EXPECT_EQ(NewTape(third, from), (std::vector<std::string>{"█      █", "████████"}));

  // One line on the first model: offsets in dots, repeated as asked, blanks trimmed.
  from = first.tape().LineCount();
  EXPECT_EQ(Code(first, 0x8E, {0x01, 0x00, 0x03, 0x00, 0x03, 0xC0}), 0x00);
  EXPECT_EQ(NewTape(first, from), (std::vector<std::string>{"   ██", "   ▀▀"}));

  // A picture in the footer comes out with the receipt's ending; a missing one shows as
  // its record.
  third.state().tables.Set({kSettingsTable, 1, settings_field::kDoubleImageHeight}, {0});
  Bytes line = Utf8ToCp866("ЛОГО ");
  line.insert(line.end(), {0x0A, 0x01, 0x00, 0x00, 0x0A, 0x09, 0x00, 0x02});
  third.state().tables.Set({kReceiptTextTable, 12, 1}, line);
  from = third.tape().LineCount();
  EXPECT_EQ(Code(third, 0x73), 0x00);
  EXPECT_EQ(NewTape(third, from),
            (std::vector<std::string>{"           СПАСИБО ЗА ПОКУПКУ!", "ЛОГО ", "█▄▄▄▄▄▄█",
                                      "[картинка 9, смещение 2]"}));
}

TEST_F(PictureRegisterTest, StateFileKeepsThePictures) {
  Code(third, 0x8B, {0x12, 0x34});
  Code(third, 0x9E);
  Code(third, 0x8B, {0x03});  // left open
  const std::string text = SerializeState(third.state());
  RegisterState loaded;
  ASSERT_TRUE(ParseState(text, loaded));
  EXPECT_EQ(loaded.pictures, third.state().pictures);
  EXPECT_TRUE(loaded.pictures.uploadOpen);

  // A file of an earlier version, without pictures, loads with an empty memory.
  std::string older;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    if (line.rfind("picture", 0) != 0) older += line + "\n";
  }
  RegisterState fromOlder = loaded;
  ASSERT_TRUE(ParseState(older, fromOlder));
  EXPECT_EQ(fromOlder.pictures.Count(), 0);
  for (const char* bad : {"picture 0 AA", "picture 2 AABBCC", "picture 1 -"}) {
    RegisterState s;
    EXPECT_FALSE(ParseState(std::string(kStateFileHeader) + "\n" + bad + "\n", s)) << bad;
  }
}

TEST_F(PictureRegisterTest, FirmwareBlocks) {
  third.firmware().ptkSize = 300;
  third.firmware().fpSize = 30;
  EXPECT_EQ(Code(third, 0x84), 0x18);  // no transfer started
  EXPECT_EQ(Code(third, 0x9C, {0x03}), 0x6D);
  EXPECT_EQ(Run(third, 0x9C, {0x01}), (Bytes{0x55, 0x00, 0x00, 0x01, 0x2C}));  // size 300
  const Bytes image = FirmwareImage(1, 300);
  Bytes block = Run(third, 0x84);
  ASSERT_EQ(block.size(), 2 + 250u);
  EXPECT_EQ(Bytes(block.begin() + 2, block.end()), Bytes(image.begin(), image.begin() + 250));
  block = Run(third, 0x84);
  ASSERT_EQ(block.size(), 2 + 250u);  // the last block filled up with FF
  EXPECT_EQ(Bytes(block.begin() + 2, block.begin() + 52), Bytes(image.begin() + 250, image.end()));
  EXPECT_EQ(Bytes(block.begin() + 52, block.end()), Bytes(200, 0xFF));
  EXPECT_EQ(Code(third, 0x84), 0x18);

  EXPECT_EQ(Run(third, 0x9C, {0x02}), (Bytes{0x55, 0x00, 0x00, 0x00, 0x1E}));
  EXPECT_EQ(Run(third, 0x84).size(), 2 + 28u);
  EXPECT_EQ(Run(third, 0x84).size(), 2 + 28u);
  EXPECT_EQ(Code(third, 0x84), 0x18);
  EXPECT_NE(FirmwareImage(1, 64), FirmwareImage(2, 64));  // the two blocks differ

  third.state().mode = 0;
  EXPECT_EQ(Code(third, 0x9C, {0x01}), 0x66);  // programming mode only
}

}  // namespace
}  // namespace ptk::emu
