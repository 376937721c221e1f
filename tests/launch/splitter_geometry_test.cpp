// The splitter's bar and panes for the sizes, percentages and dragged positions the window hands over.
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
      {true, 494, 300, 35, 0, 172, 35, false, {0, 0, 172, 300}, {174, 0, 320, 300}},
      {true, 494, 300, 1, 0, 6, 1, true, {0, 0, 6, 300}, {8, 0, 486, 300}},
      {true, 494, 300, 99, 0, 488, 99, true, {0, 0, 488, 300}, {490, 0, 4, 300}},
      {true, 494, 300, 50, 300, 300, 60, false, {0, 0, 300, 300}, {302, 0, 192, 300}},
      {true, 494, 300, 50, 6, 6, 1, false, {0, 0, 6, 300}, {8, 0, 486, 300}},
      {true, 494, 300, 50, 488, 488, 98, false, {0, 0, 488, 300}, {490, 0, 4, 300}},
      {true, 494, 300, 50, -40, 6, 1, true, {0, 0, 6, 300}, {8, 0, 486, 300}},
      {true, 494, 300, 50, 490, 488, 98, true, {0, 0, 488, 300}, {490, 0, 4, 300}},
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
