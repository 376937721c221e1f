// The splitter's bar and panes where the window runs (splitter_test: drags, edges, resizes of a
// vertical bar) does not take them: a percentage that truncates, a horizontal bar, a splitter
// narrower than its margins, an empty one.
#include "launch/splitter_geometry.h"

#include <gtest/gtest.h>

namespace {

bool operator==(const PaneRect& a, const PaneRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

TEST(SplitterGeometry, PositionClampPercentAndPanes) {
  const struct {
    bool vertical;
    int width, height, percent, pixels;
    int pos, keptPercent;
    bool clamped;
    PaneRect first, second;
  } cases[] = {
      {true, 494, 300, 35, 0, 172, 35, false, {0, 0, 172, 300}, {174, 0, 320, 300}},  // the launch page's
      {false, 300, 200, 35, 0, 70, 35, false, {0, 0, 300, 70}, {0, 72, 300, 128}},
      {false, 300, 200, 50, 199, 194, 97, true, {0, 0, 300, 194}, {0, 196, 300, 4}},
      {true, 10, 20, 50, 3, 6, 60, true, {0, 0, 6, 20}, {8, 0, 2, 20}},  // too narrow for both
      {true, 10, 20, 50, 8, 4, 40, true, {0, 0, 4, 20}, {6, 0, 4, 20}},
      {true, 0, 0, 50, 10, -6, 50, true, {0, 0, -6, 0}, {-4, 0, 4, 0}},  // empty: percent kept
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.vertical ? "vertical " : "horizontal ") << c.width
                                    << "x" << c.height << " " << c.percent << "% " << c.pixels
                                    << "px");
    SplitterLayout layout = LayOutSplitter(c.vertical, c.width, c.height, c.percent, c.pixels);
    EXPECT_EQ(c.pos, layout.pos);
    EXPECT_EQ(c.keptPercent, layout.percent);
    EXPECT_EQ(c.clamped, layout.clamped);
    EXPECT_TRUE(c.first == layout.first);
    EXPECT_TRUE(c.second == layout.second);
  }
}

}  // namespace
