#include "ui/win/ResizeGrip.h"

namespace ui {

void ResizeGrip::create(HWND parent) {
  parent_ = parent;
  int width = GetSystemMetrics(SM_CXVSCROLL);
  int height = GetSystemMetrics(SM_CYHSCROLL);
  Window::create(L"ScrollBar", "",
                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP |
                     SBS_SIZEBOXBOTTOMRIGHTALIGN,
                 0, 0, width, height, parent);
  HRGN region = CreateRectRgn(0, 0, width, height);
  for (int y = 0; y < height; y++) {
    HRGN band = CreateRectRgn(0, y, width - y, y + 1);
    CombineRgn(region, region, band, RGN_DIFF);
    DeleteObject(band);
  }
  // The window owns the region from here on.
  SetWindowRgn(getHandle(), region, FALSE);
  reposition();
}

void ResizeGrip::reposition() {
  if (IsZoomed(parent_)) {
    show(false);
    return;
  }
  RECT client, grip;
  GetClientRect(parent_, &client);
  GetWindowRect(getHandle(), &grip);
  SetWindowPos(getHandle(), nullptr, client.right - (grip.right - grip.left),
               client.bottom - (grip.bottom - grip.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  show(true);
}

} // namespace ui
