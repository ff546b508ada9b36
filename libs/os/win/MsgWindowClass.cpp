#include "os/win/MsgWindowClass.h"
#include "os/win/IsSafeWM.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"

namespace os {

plat::LogWriter msgWindowLog("MsgWindow");

const wchar_t* const msgWindowClassName = L"Torvane.Ostrel.MsgWindowClass";

LRESULT CALLBACK msgWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, (LONG_PTR)create->lpCreateParams);
    if (MsgWindowOwner* owner = reinterpret_cast<MsgWindowOwner*>(create->lpCreateParams))
      owner->window_ = window;
  } else if (message == WM_DESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  }
  MsgWindowOwner* owner = reinterpret_cast<MsgWindowOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (owner) {
    try {
      return owner->processMessage(message, wParam, lParam);
    } catch (...) {
      msgWindowLog.error("untrapped (%s): %s", owner->name(), plat::caughtText());
      return 0;
    }
  }
  msgWindowLog.write(100, "null _this in %llx, message %x", (unsigned long long)(uintptr_t)window,
                     message);
  return IsSafeWM(window, message, wParam, lParam);
}

namespace {

struct MsgWindowClass {
  MsgWindowClass() : instance(GetModuleHandleW(nullptr)) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = msgWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = msgWindowClassName;
    if (!RegisterClassW(&wc))
      throw plat::SystemException("unable to register MsgWindow window class",
                                  (int)GetLastError());
  }
  ~MsgWindowClass() { UnregisterClassW(msgWindowClassName, instance); }
  HINSTANCE instance;
};

// A program that cannot register the class cannot run: the exception ends
// it during start-up.
MsgWindowClass registered;

} // namespace

} // namespace os
