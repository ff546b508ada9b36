// What a part of the (virtual) screen shows, read back pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace testing_support {

struct ScreenPixels {
  RECT rect = {0, 0, 0, 0}; // the part read, in screen coordinates
  std::vector<uint8_t> rgb; // 3 bytes a pixel, top row first (as writePng takes them)

  int width() const { return rect.right - rect.left; }
  int height() const { return rect.bottom - rect.top; }
  // At screen point (x, y) inside rect.
  COLORREF at(int x, int y) const {
    const uint8_t* p = &rgb[((size_t)(y - rect.top) * width() + (x - rect.left)) * 3];
    return RGB(p[0], p[1], p[2]);
  }
};

// The pixels of rect (screen coordinates) that lie on the screen; none
// (an empty rect) when nothing could be read. May be called from any thread.
ScreenPixels readScreen(RECT rect);

} // namespace testing_support
