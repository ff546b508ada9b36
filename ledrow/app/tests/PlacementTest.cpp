// Where the main window and the quick-launch popup go.
#include "ledrow/app/Geometry.h"
#include "ledrow/app/PopupPlacement.h"

#include <gtest/gtest.h>

using namespace addrbook;

TEST(Geometry, GivesAsManyNumbersAsTheTextHas) {
  Geometry size = parseGeometry("640x480");
  EXPECT_EQ(640, size.width);
  EXPECT_EQ(480, size.height);
  EXPECT_EQ(100, size.left);
  EXPECT_EQ(100, size.top);
  Geometry full = parseGeometry("800x600+-20+30");
  EXPECT_EQ(-20, full.left);
  EXPECT_EQ("800x600+-20+30", formatGeometry(full));
  EXPECT_EQ(400, parseGeometry("garbage").width);
}

TEST(PopupPlacement, OpensBesideTheTaskbarAndInsideTheWorkArea) {
  const Box screen = {0, 0, 1000, 800};
  Box top = placePopup(900, 10, TopEdge, Box{0, 0, 1000, 40}, 200, 30, Box{0, 40, 1000, 800});
  EXPECT_EQ(40, top.top);      // below the taskbar
  EXPECT_EQ(1000, top.right);  // moved back onto the screen
  Box bottom = placePopup(500, 790, BottomEdge, Box{0, 760, 1000, 800}, 200, 30,
                          Box{0, 0, 1000, 760});
  EXPECT_EQ(730, bottom.top);
  EXPECT_EQ(500, bottom.left);
  Box left = placePopup(5, 300, LeftEdge, Box{0, 0, 60, 800}, 200, 30, Box{60, 0, 1000, 800});
  EXPECT_EQ(60, left.left);
  Box right = placePopup(995, 300, RightEdge, Box{940, 0, 1000, 800}, 200, 30,
                         Box{0, 0, 940, 800});
  EXPECT_EQ(940, right.right);
  Box none = placePopup(10, 10, NoTaskbar, Box{}, 200, 30, screen);
  EXPECT_EQ(0, none.left);
  EXPECT_EQ(0, none.top);
}
