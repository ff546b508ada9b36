#include "ui/OverlayPlacement.h"

#include <gtest/gtest.h>

using namespace ui;

TEST(OverlayPlacement, AnchorsAndOffsetsTowardsTheInside) {
  // A 100 x 20 target and a 16 x 10 icon, offsets 2 and 3.
  struct Case {
    int anchor, x, y;
  } cases[] = {
      {TopLeftInside, 2, 3},     {TopRightInside, 82, 3},     {BottomLeftInside, 2, 7},
      {BottomRightInside, 82, 7}, {OnTopLeft, -6, -2},         {OnTopRight, 90, -2},
      {OnBottomLeft, -6, 12},    {OnBottomRight, 90, 12},     {8, 0, 0},
      {-1, 0, 0},
  };
  for (const Case& c : cases) {
    Point p = overlayPosition(c.anchor, 100, 20, 16, 10, 2, 3);
    EXPECT_EQ(c.x, p.x) << "anchor " << c.anchor;
    EXPECT_EQ(c.y, p.y) << "anchor " << c.anchor;
  }
}
