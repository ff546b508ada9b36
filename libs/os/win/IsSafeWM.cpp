#include "os/win/IsSafeWM.h"
#include "plat/LogWriter.h"

namespace os {

plat::LogWriter wmShatterLog("WMShatter");

LRESULT CALLBACK IsSafeWM(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && lParam != 0) {
    // Handles and parameters are pointer-sized: printed whole.
    wmShatterLog.write(30, "IsSafeWM: 0x%llx received 0x%x(%llu, %llu) - not safe",
                       (unsigned long long)(uintptr_t)window, message,
                       (unsigned long long)wParam, (unsigned long long)lParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace os
