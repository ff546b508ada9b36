#include "testing/Shots.h"
#include "testing/LayoutCheck.h"
#include "testing/WindowShot.h"

namespace testing_support {

std::vector<ShotEntry>& shotMakers() {
  static std::vector<ShotEntry> makers;
  return makers;
}

void Shot::save(HWND window, HWND checked) {
  // Let the window's thread finish what it was told before the picture.
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    ULONGLONG until = GetTickCount64() + 150;
    MSG msg;
    while (GetTickCount64() < until) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(10);
    }
  }
  for (int i = 0; i < 5; i++) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(40);
  }
  faults_ = layoutFaults(checked ? checked : window);
  // A picture without the window it is of (a popup that closed meanwhile)
  // is no picture of it.
  saved_ = saveWindowPng(window, path_) && (!checked || IsWindow(checked));
}

} // namespace testing_support
