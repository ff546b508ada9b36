#include "testing/WindowShot.h"
#include "testing/Png.h"
#include "testing/ScreenPixels.h"

namespace testing_support {

bool saveWindowPng(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  RECT rect;
  if (!GetWindowRect(window, &rect))
    return false;
  // Only what is on the screen can be read.
  ScreenPixels pixels = readScreen(rect);
  if (pixels.rgb.empty())
    return false;
  return writePng(path, pixels.width(), pixels.height(), pixels.rgb.data());
}

} // namespace testing_support
