// A window class registered by the program, whose windows are
// ui::CustomWindow objects. Unregistered when the object goes.
#pragma once

#include <windows.h>

namespace ui {

class WindowClass {
public:
  // A null instance means the program's module. Throws
  // plat::SystemException "RegisterClass".
  WindowClass(const wchar_t* name, const wchar_t* menuName = nullptr, HCURSOR cursor = nullptr,
              HICON icon = nullptr, HICON smallIcon = nullptr, HBRUSH background = nullptr,
              UINT style = 0, HINSTANCE instance = nullptr);
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  ~WindowClass();

  ATOM atom() const { return atom_; }
  HINSTANCE instance() const { return instance_; }

private:
  HINSTANCE instance_;
  ATOM atom_;
};

} // namespace ui
