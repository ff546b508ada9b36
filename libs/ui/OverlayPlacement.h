// Where an overlay icon sits on its target control: one of eight anchors
// (the four corners, inside or centred on the corner), moved by offsets
// towards the inside of the target.
#pragma once

namespace ui {

enum OverlayAnchor {
  TopLeftInside,
  TopRightInside,
  BottomLeftInside,
  BottomRightInside,
  OnTopLeft,
  OnTopRight,
  OnBottomLeft,
  OnBottomRight
};

struct Point {
  int x;
  int y;
};

// Relative to the target's top-left corner. An unknown anchor gives 0,0.
Point overlayPosition(int anchor, int targetWidth, int targetHeight, int iconWidth, int iconHeight,
                      int dx, int dy);

} // namespace ui
