// The version query and its three lines.
#include "core/shell/version.h"

#include <gtest/gtest.h>

#include "core/shell_link_fixture.h"

namespace ptk {
namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

class VersionTest : public test::ShellLinkTest {};

TEST_F(VersionTest, QueryAndLines) {
  struct Case {
    uint8_t source;
    Bytes answer;
    Lines lines;
  };
  const Case cases[] = {
      {1,
       {0x55, 0x00, 0x02, 0x01, 0x00, 0x05, 0x00},
       {"Версия: 258", "Подверсия: 5", "Код языка: 0"}},
      {2,
       {0x55, 0x00, 0xFF, 0xFF, 0x13, 0x34, 0x12},
       {"Версия: 65535", "Подверсия: 4660", "Код языка: 19"}},
      // A short answer: the missing subversion reads as zero, not as ETX and check byte.
      {1, {0x55, 0x00, 0x07, 0x00, 0x01}, {"Версия: 7", "Подверсия: 0", "Код языка: 1"}},
  };
  for (const Case& c : cases) {
    reg.commands.clear();
    reg.answer = c.answer;
    ASSERT_EQ(QueryVersion(link, c.source), 1);
    EXPECT_EQ(OnlyCommand(), (Bytes{0x12, 0x34, 0x9D, c.source}));
    EXPECT_EQ(ShowVersion(link), c.lines);
  }
}

TEST_F(VersionTest, RefusedQueryIsTheExchangesFailure) {
  reg.answer = {0x55, 0x33, 0x00};
  EXPECT_EQ(QueryVersion(link, 2), kExchangeDeviceError);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

}  // namespace
}  // namespace ptk
