#include "ui/win/Overlay.h"

namespace ui {

// The colour bitmap gives the size; 0 when it cannot be read.
static void iconSize(HICON icon, int* width, int* height) {
  *width = *height = 0;
  ICONINFO info;
  if (!icon || !GetIconInfo(icon, &info))
    return;
  BITMAP bitmap;
  if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap)) {
    *width = bitmap.bmWidth;
    *height = bitmap.bmHeight;
  }
  if (info.hbmColor)
    DeleteObject(info.hbmColor);
  if (info.hbmMask)
    DeleteObject(info.hbmMask);
}

Overlay::Overlay(HICON icon, int anchor, int dx, int dy, HINSTANCE instance)
    : Window(instance), subclass_(this), icon_(icon), anchor_(anchor), dx_(dx), dy_(dy),
      visible_(true), target_(nullptr) {
  iconSize(icon_, &iconWidth_, &iconHeight_);
}

void Overlay::attach(HWND target) {
  target_ = target;
  create(L"Static", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0, iconWidth_, iconHeight_,
         GetParent(target));
  if (!visible_)
    show(false);
  reposition();
  subclass_.subclass(getHandle());
}

void Overlay::setVisible(bool visible) {
  visible_ = visible;
  show(visible);
  InvalidateRect(getHandle(), nullptr, TRUE);
}

void Overlay::reposition() {
  if (!target_ || !getHandle())
    return;
  RECT rect;
  GetWindowRect(target_, &rect);
  MapWindowPoints(nullptr, GetParent(target_), (POINT*)&rect, 2);
  Point at = overlayPosition(anchor_, rect.right - rect.left, rect.bottom - rect.top, iconWidth_,
                             iconHeight_, dx_, dy_);
  SetWindowPos(getHandle(), HWND_TOP, rect.left + at.x, rect.top + at.y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT Overlay::subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (visible_)
      DrawIconEx(dc, 0, 0, icon_, iconWidth_, iconHeight_, 0, nullptr, DI_NORMAL);
    EndPaint(hwnd, &paint);
    return 0;
  }
  case WM_USER:
    reposition();
    return 0;
  }
  return SubclassWindow::callOriginalProc(hwnd, msg, wParam, lParam);
}

} // namespace ui
