// The window class of the programs' hidden message windows
// ("Torvane.Ostrel.MsgWindowClass"), registered for the program's module
// before main runs and unregistered at exit. A window of the class is
// created with its owning object as the creation parameter; the class's
// procedure keeps the owner in the window's user data and hands it every
// message from WM_CREATE until WM_DESTROY.
#pragma once

#include "plat/String.h"

#include <windows.h>

namespace plat {
class LogWriter;
}

namespace os {

class MsgWindowOwner {
public:
  explicit MsgWindowOwner(const char* name) : name_(name) {}
  MsgWindowOwner(const MsgWindowOwner&) = delete;
  MsgWindowOwner& operator=(const MsgWindowOwner&) = delete;
  virtual ~MsgWindowOwner() {}
  // A plat::Exception escaping it is logged and the message answers 0.
  virtual LRESULT processMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  const char* name() const { return name_.c_str(); }
  // The window, from its WM_CREATE on (before CreateWindowEx returns).
  HWND window() const { return window_; }

private:
  friend LRESULT CALLBACK msgWindowProc(HWND, UINT, WPARAM, LPARAM);
  plat::String name_;
  HWND window_ = nullptr;
};

extern const wchar_t* const msgWindowClassName;

// "MsgWindow": the class's procedure and the message windows log here.
extern plat::LogWriter msgWindowLog;

LRESULT CALLBACK msgWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace os
