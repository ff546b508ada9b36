#include "ui/win/Window.h"
#include "plat/win/Unicode.h"

#include <cstdio>
#include <cstdlib>

namespace ui {

Window::Window(HINSTANCE instance)
    : ownsWindow_(false), handle_(nullptr),
      instance_(instance ? instance : GetModuleHandleW(nullptr)), text_("") {}

Window::~Window() { Window::destroy(); }

void Window::destroy() {
  HWND window = handle_;
  bool owned = ownsWindow_;
  handle_ = nullptr;
  ownsWindow_ = false;
  if (window && owned)
    DestroyWindow(window);
}

void Window::create(const wchar_t* className, const char* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, DWORD exStyle, UINT_PTR menuOrId) {
  plat::WString wtitle(title ? title : "");
  HWND created = CreateWindowExW(exStyle, className, wtitle.c_str(), style, x, y, width, height,
                                 parent, (HMENU)menuOrId, instance_, this);
  if (!created)
    throw plat::SystemException("CreateWindowEx", (int)GetLastError());
  destroy();
  setHandle(created, true);
}

void Window::create(ATOM windowClass, const char* title, DWORD style, int x, int y, int width,
                    int height, HWND parent, DWORD exStyle, UINT_PTR menuOrId) {
  create(MAKEINTATOM(windowClass), title, style, x, y, width, height, parent, exStyle, menuOrId);
}

void Window::wrap(HWND window) {
  destroy();
  setHandle(window, false);
}

void Window::show(bool visible) { ShowWindow(handle_, visible ? SW_SHOWNORMAL : SW_HIDE); }

void Window::enable(bool enabled) { EnableWindow(handle_, enabled); }

void Window::setText(const char* text) {
  text_ = text ? text : "";
  plat::WString wtext(text_.c_str());
  SendMessageW(handle_, WM_SETTEXT, 0, (LPARAM)wtext.c_str());
}

const char* Window::getText(bool useCached) {
  if (!useCached) {
    wchar_t buffer[256];
    LRESULT length = SendMessageW(handle_, WM_GETTEXT, 256, (LPARAM)buffer);
    buffer[length >= 0 && length < 256 ? length : 0] = 0;
    text_ = plat::String::adopt(plat::W2MB(buffer));
  }
  return text_.c_str();
}

void Window::setInt(int value) {
  char text[16];
  snprintf(text, sizeof(text), "%i", value);
  setText(text);
}

int Window::getInt() {
  // long is 32 bits here: strtol's clamping is int's.
  return (int)strtol(getText(), nullptr, 10);
}

void Window::setFocus() { SetFocus(handle_); }

bool Window::isEnabled() const { return IsWindowEnabled(handle_) != 0; }

void Window::moveChild(HWND child, int dx, int dy, int dw, int dh) {
  RECT r;
  GetWindowRect(child, &r);
  POINT at = {r.left + dx, r.top + dy};
  ScreenToClient(handle_, &at);
  SetWindowPos(child, nullptr, at.x, at.y, r.right - r.left + dw, r.bottom - r.top + dh,
               SWP_NOACTIVATE | SWP_NOZORDER);
}

const char* Window::getFullText() {
  int length = GetWindowTextLengthW(handle_);
  wchar_t* buffer = new wchar_t[length + 1];
  int got = GetWindowTextW(handle_, buffer, length + 1);
  buffer[got >= 0 && got <= length ? got : 0] = 0;
  text_ = plat::String::adopt(plat::W2MB(buffer));
  delete[] buffer;
  return text_.c_str();
}

HWND Window::getDlgItem(int id) const {
  HWND item = GetDlgItem(handle_, id);
  if (!item)
    throw plat::SystemException("GetDlgItem", (int)GetLastError());
  return item;
}

} // namespace ui
