// While it lives, programs started meanwhile cannot make windows of the
// class: kivrefusewindow.dll's hook is set for the desktop, and the class
// is named in the environment those programs inherit.
#pragma once

#include <windows.h>

#include <string>

namespace peer {

class RefusedWindowClass {
public:
  // Throws std::runtime_error when the hook cannot be set.
  explicit RefusedWindowClass(const std::wstring& className);
  RefusedWindowClass(const RefusedWindowClass&) = delete;
  RefusedWindowClass& operator=(const RefusedWindowClass&) = delete;
  ~RefusedWindowClass();

private:
  HMODULE dll_;
  HHOOK hook_;
};

} // namespace peer
