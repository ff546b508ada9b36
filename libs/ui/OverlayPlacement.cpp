#include "ui/OverlayPlacement.h"

namespace ui {

Point overlayPosition(int anchor, int w, int h, int iw, int ih, int dx, int dy) {
  Point p = {0, 0};
  switch (anchor) {
  case TopLeftInside:
    break;
  case TopRightInside:
    p.x = w - iw;
    break;
  case BottomLeftInside:
    p.y = h - ih;
    break;
  case BottomRightInside:
    p = {w - iw, h - ih};
    break;
  case OnTopLeft:
    p = {-iw / 2, -ih / 2};
    break;
  case OnTopRight:
    p = {w - iw / 2, -ih / 2};
    break;
  case OnBottomLeft:
    p = {-iw / 2, h - ih / 2};
    break;
  case OnBottomRight:
    p = {w - iw / 2, h - ih / 2};
    break;
  default:
    return p;
  }
  bool right = anchor == TopRightInside || anchor == BottomRightInside || anchor == OnTopRight ||
               anchor == OnBottomRight;
  bool bottom = anchor == BottomLeftInside || anchor == BottomRightInside ||
                anchor == OnBottomLeft || anchor == OnBottomRight;
  p.x += right ? -dx : dx;
  p.y += bottom ? -dy : dy;
  return p;
}

} // namespace ui
