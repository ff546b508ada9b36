#include "os/win/MsgWindow.h"
#include "os/win/IsSafeWM.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"

namespace os {

static plat::String windowName(const char* name) {
  plat::DString full;
  full.appendf("Torvane.Ostrel.%s", name);
  return plat::String(full.c_str());
}

MsgWindow::MsgWindow(const char* name) : MsgWindowOwner(windowName(name).c_str()), handle_(nullptr) {
  msgWindowLog.write(100, "creating window \"%s\"", this->name());
  plat::WString wname(this->name());
  handle_ = CreateWindowExW(0, msgWindowClassName, wname.c_str(), 0, 0, 0, 10, 10, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
  if (!handle_)
    throw plat::SystemException("unable to create WMNotifier window instance",
                                (int)GetLastError());
  msgWindowLog.write(100, "created window \"%s\" (%llx)", this->name(),
                     (unsigned long long)(uintptr_t)handle_);
}

MsgWindow::~MsgWindow() {
  if (handle_)
    DestroyWindow(handle_);
  msgWindowLog.write(100, "destroyed window \"%s\"", name());
}

LRESULT MsgWindow::processMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return IsSafeWM(window(), message, wParam, lParam);
}

} // namespace os
