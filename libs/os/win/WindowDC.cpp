#include "os/win/WindowDC.h"
#include "plat/Exception.h"

namespace os {

WindowDC::WindowDC(HWND window) : window_(window) {
  dc_ = GetDC(window);
  if (!dc_)
    throw plat::SystemException("GetDC failed", (int)GetLastError());
}

WindowDC::~WindowDC() { ReleaseDC(window_, dc_); }

} // namespace os
