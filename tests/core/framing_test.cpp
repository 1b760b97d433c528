// Frames on the line: stuffing, the check byte, and scanning received frames.
#include "core/link/framing.h"

#include <gtest/gtest.h>

#include <vector>

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(FramingTest, BuildFrame) {
  struct Row {
    const char* name;
    Bytes payload;
    Bytes line;
  } rows[] = {
      // STX | password 73 91, 'G' | ETX | 73^91^47^03
      {"command G", {0x73, 0x91, 0x47}, {0x02, 0x73, 0x91, 0x47, 0x03, 0x73 ^ 0x91 ^ 0x47 ^ 0x03}},
      // ETX and DLE in the payload get a DLE before them; the check byte covers both DLEs.
      {"stuffed",
       {0x03, 0x10},
       {0x02, 0x10, 0x03, 0x10, 0x10, 0x03, 0x10 ^ 0x03 ^ 0x10 ^ 0x10 ^ 0x03}},
      // Other control values travel unchanged.
      {"STX ENQ EOT not stuffed",
       {0x02, 0x05, 0x04},
       {0x02, 0x02, 0x05, 0x04, 0x03, 0x02 ^ 0x05 ^ 0x04 ^ 0x03}},
      {"empty", {}, {0x02, 0x03, 0x03}},
      // The plain answer of the examples: marker 55, code 00, 00.
      {"answer", {0x55, 0x00, 0x00}, {0x02, 0x55, 0x00, 0x00, 0x03, 0x56}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(BuildFrame(row.payload), row.line);
  }
}

TEST(FramingTest, ScanFrame) {
  struct Row {
    const char* name;
    Bytes raw;
    bool complete;
    bool checkOk;
    size_t rawLength;
    Bytes unstuffed;  // checked when complete
  } rows[] = {
      {"plain answer",
       {0x02, 0x55, 0x00, 0x00, 0x03, 0x56},
       true,
       true,
       6,
       {0x02, 0x55, 0x00, 0x00, 0x03, 0x56}},
      {"stuffed result code 10",
       {0x02, 0x55, 0x10, 0x10, 0x00, 0x03, 0x55 ^ 0x10 ^ 0x10 ^ 0x00 ^ 0x03},
       true,
       true,
       7,
       {0x02, 0x55, 0x10, 0x00, 0x03, 0x55 ^ 0x10 ^ 0x10 ^ 0x00 ^ 0x03}},
      {"wrong check byte",
       {0x02, 0x55, 0x00, 0x00, 0x03, 0x57},
       true,
       false,
       6,
       {0x02, 0x55, 0x00, 0x00, 0x03, 0x57}},
      {"trailing bytes ignored",
       {0x02, 0x55, 0x03, 0x56, 0x04, 0x04},
       true,
       true,
       4,
       {0x02, 0x55, 0x03, 0x56}},
      {"DLE before other byte is data",
       {0x02, 0x10, 0x41, 0x03, 0x10 ^ 0x41 ^ 0x03},
       true,
       true,
       5,
       {0x02, 0x10, 0x41, 0x03, 0x10 ^ 0x41 ^ 0x03}},
      {"check byte is ETX", {0x02, 0x03, 0x03}, true, true, 3, {0x02, 0x03, 0x03}},
      {"check byte is DLE", {0x02, 0x13, 0x03, 0x10}, true, true, 4, {0x02, 0x13, 0x03, 0x10}},
      {"no ETX", {0x02, 0x55, 0x00, 0x00}, false, false, 0, {}},
      {"ETX without check byte", {0x02, 0x55, 0x03}, false, false, 0, {}},
      {"stuffed ETX is not the end", {0x02, 0x10, 0x03, 0x41}, false, false, 0, {}},
      {"DLE as the last byte", {0x02, 0x41, 0x10}, false, false, 0, {}},
      {"not starting with STX", {0x55, 0x03, 0x56}, false, false, 0, {}},
      {"empty", {}, false, false, 0, {}},
      {"STX only", {0x02}, false, false, 0, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const FrameScan scan = ScanFrame(row.raw);
    EXPECT_EQ(scan.complete, row.complete);
    EXPECT_EQ(FrameComplete(row.raw), row.complete);
    EXPECT_EQ(scan.checkOk, row.checkOk);
    if (row.complete) {
      EXPECT_EQ(scan.rawLength, row.rawLength);
      EXPECT_EQ(scan.unstuffed, row.unstuffed);
    }
  }
}

TEST(FramingTest, EveryPayloadByteSurvivesStuffing) {
  Bytes payload;
  for (int b = 0; b < 256; ++b) payload.push_back(static_cast<uint8_t>(b));
  const Bytes line = BuildFrame(payload);
  EXPECT_EQ(line.size(), 256u + 2u + 3u);  // DLE and ETX each gained a DLE
  const FrameScan scan = ScanFrame(line);
  ASSERT_TRUE(scan.complete);
  EXPECT_TRUE(scan.checkOk);
  EXPECT_EQ(scan.rawLength, line.size());
  EXPECT_EQ(Bytes(scan.unstuffed.begin() + 1, scan.unstuffed.end() - 2), payload);
}

}  // namespace
}  // namespace ptk
