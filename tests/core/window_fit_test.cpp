#include "core/shell/window_fit.h"

#include <gtest/gtest.h>

#include "core/shell/progress_math.h"

namespace ptk {
namespace {

struct FitCase {
  const char* what;
  ScreenRect window;
  ScreenRect area;
  ScreenRect expected;
  bool resized;
  bool moved;
};

class WindowFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(WindowFit, FitsIntoWorkArea) {
  const FitCase& c = GetParam();
  const FitResult r = FitRectToWorkArea(c.window, c.area);
  EXPECT_EQ(r.rect, c.expected) << c.what;
  EXPECT_EQ(r.resized, c.resized) << c.what;
  EXPECT_EQ(r.moved, c.moved) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowFit,
    ::testing::Values(FitCase{"fits: untouched",
                              {100, 50, 400, 300},
                              {0, 0, 1024, 768},
                              {100, 50, 400, 300},
                              false,
                              false},
                      FitCase{"1200 wide on 1024: cut and put at the left edge",
                              {-88, 100, 1200, 300},
                              {0, 0, 1024, 768},
                              {0, 100, 1024, 300},
                              true,
                              true},
                      FitCase{"1200 wide placed at 0: cut, not moved",
                              {0, 100, 1200, 300},
                              {0, 0, 1024, 768},
                              {0, 100, 1024, 300},
                              true,
                              false},
                      FitCase{"past the right edge: right edges meet",
                              {900, 10, 300, 200},
                              {0, 0, 1024, 768},
                              {724, 10, 300, 200},
                              false,
                              true},
                      FitCase{"past the bottom above a task bar: bottoms meet",
                              {10, 600, 300, 200},
                              {0, 0, 1024, 738},
                              {10, 538, 300, 200},
                              false,
                              true},
                      FitCase{"left of a work area that starts at 60 (task bar at the left)",
                              {20, 20, 300, 200},
                              {60, 0, 964, 768},
                              {60, 20, 300, 200},
                              false,
                              true},
                      FitCase{"too high and too wide: both cut",
                              {0, 0, 2000, 1500},
                              {0, 0, 1024, 768},
                              {0, 0, 1024, 768},
                              true,
                              false},
                      FitCase{"exactly the work area",
                              {0, 0, 1024, 768},
                              {0, 0, 1024, 768},
                              {0, 0, 1024, 768},
                              false,
                              false},
                      FitCase{"second screen to the right, window left of it",
                              {1500, 100, 400, 300},
                              {1600, 0, 1280, 1024},
                              {1600, 100, 400, 300},
                              false,
                              true}));

struct RescaleCase {
  int position, oldTotal, newTotal, expected;
};

TEST(ProgressRescale, IntegerArithmetic) {
  const RescaleCase cases[] = {
      {5, 100, 200, 11},  // 200 * 5 / 100 + 1
      {0, 100, 200, 0},   // position 0 stays 0
      {1, 1, 57, 58},     // the callers' start: total 1, one step done
      {1, 3, 10, 4},      // 10 / 3 truncates to 3, + 1
      {7, 0, 10, 71},     // an old total of 0 is taken as 1
      {50000, 100000, 100000, 50001},
      {2000000000, 2000000000, 2000000000, 2000000001},  // no overflow on the product
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressRescale(c.position, c.oldTotal, c.newTotal), c.expected)
        << c.position << " of " << c.oldTotal << " -> " << c.newTotal;
  }
}

TEST(ProgressClamp, HoldsPositionInRange) {
  EXPECT_EQ(ProgressClamp(-5, 10), 0);
  EXPECT_EQ(ProgressClamp(3, 10), 3);
  EXPECT_EQ(ProgressClamp(2147483647, 10), 10);
  EXPECT_EQ(ProgressClamp(11, 10), 10);
}

}  // namespace
}  // namespace ptk
