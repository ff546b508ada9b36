#include "os/win/CentreWindow.h"
#include "os/win/MonitorInfo.h"

namespace os {

void centreWindow(HWND window, HWND parent) {
  RECT over = {};
  if (!parent || !IsWindowVisible(parent) || !GetWindowRect(parent, &over) || IsRectEmpty(&over))
    over = MonitorInfo(parent ? parent : window).workArea();
  RECT r;
  GetWindowRect(window, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = over.left + (over.right - over.left - w) / 2;
  int y = over.top + (over.bottom - over.top - h) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace os
