#include "ledrow/app/PopupPlacement.h"

#include <algorithm>

namespace addrbook {

Box placePopup(int x, int y, TaskbarEdge edge, const Box& taskbar, int width, int height,
               const Box& work) {
  int left, top;
  switch (edge) {
  case LeftEdge:
    left = taskbar.right;
    top = y;
    break;
  case TopEdge:
    left = x;
    top = taskbar.bottom;
    break;
  case RightEdge:
    left = taskbar.left - width;
    top = y;
    break;
  case BottomEdge:
    left = x;
    top = taskbar.top - height;
    break;
  default:
    left = x - width;
    top = y - height;
    break;
  }
  // The far sides first, so that a popup larger than the work area keeps
  // its top left corner in view.
  left = std::max(std::min(left, work.right - width), work.left);
  top = std::max(std::min(top, work.bottom - height), work.top);
  return Box{left, top, left + width, top + height};
}

} // namespace addrbook
