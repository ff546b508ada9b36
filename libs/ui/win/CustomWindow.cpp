#include "ui/win/CustomWindow.h"
#include "plat/LogWriter.h"

namespace ui {

plat::LogWriter customWindowLog("CustomWindow");

CustomWindow::CustomWindow(HINSTANCE instance, WndProcCallback* callback)
    : Window(instance), callback_(callback) {}

// Messages that arrive while the window is destroyed must not reach a half
// destroyed object.
CustomWindow::~CustomWindow() {
  if (getHandle() && ownsWindow())
    SetWindowLongPtrW(getHandle(), GWLP_USERDATA, 0);
}

LRESULT CustomWindow::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (callback_)
    return callback_->handle(this, hwnd, message, wParam, lParam);
  return IsSafeWM(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CustomWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CustomWindow* object = reinterpret_cast<CustomWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_CREATE) {
    // Another process may send WM_CREATE to a live window: its parameter
    // must never replace the object, nor a null one be read.
    const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    if (object || !create) {
      customWindowLog.error("stray WM_CREATE to 0x%llx ignored", (unsigned long long)(uintptr_t)hwnd);
      return 0;
    }
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)create->lpCreateParams);
    return 0;
  }
  if (message == WM_DESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (object && object->getHandle() == hwnd)
      object->setHandle(nullptr, false);
    return 0;
  }
  if (!object)
    return IsSafeWM(hwnd, message, wParam, lParam);
  // Nothing may unwind through the system's frames that called us.
  try {
    return object->handleMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    customWindowLog.error("message 0x%x to 0x%llx: %s", message,
                          (unsigned long long)(uintptr_t)hwnd, plat::caughtText());
    return 0;
  }
}

} // namespace ui
