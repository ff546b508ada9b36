#include "ui/win/WindowClass.h"
#include "plat/Exception.h"
#include "ui/win/CustomWindow.h"

namespace ui {

WindowClass::WindowClass(const wchar_t* name, const wchar_t* menuName, HCURSOR cursor, HICON icon,
                         HICON smallIcon, HBRUSH background, UINT style, HINSTANCE instance)
    : instance_(instance ? instance : GetModuleHandleW(nullptr)), atom_(0) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = CustomWindow::windowProc;
  wc.hInstance = instance_;
  wc.hIcon = icon;
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszMenuName = menuName;
  wc.lpszClassName = name;
  wc.hIconSm = smallIcon;
  atom_ = RegisterClassExW(&wc);
  if (!atom_)
    throw plat::SystemException("RegisterClass", (int)GetLastError());
}

WindowClass::~WindowClass() {
  if (atom_)
    UnregisterClassW(MAKEINTATOM(atom_), instance_);
}

} // namespace ui
