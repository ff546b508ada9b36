#include "testing/WindowShot.h"
#include "testing/Png.h"

#include <vector>

namespace testing_support {

bool saveWindowPng(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  RECT rect;
  if (!GetWindowRect(window, &rect))
    return false;
  // Only what is on the screen can be read.
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  IntersectRect(&rect, &rect, &screen);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
    return false;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC screenDc = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screenDc);
  HBITMAP bitmap = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screenDc, rect.left, rect.top, SRCCOPY) != 0;
    SelectObject(memory, old);
  }
  if (ok) {
    int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> rgb((size_t)width * height * 3);
    for (int y = 0; y < height; y++) {
      const uint8_t* row = (const uint8_t*)bits + (size_t)y * stride;
      uint8_t* out = rgb.data() + (size_t)y * width * 3;
      for (int x = 0; x < width; x++) {
        out[x * 3] = row[x * 3 + 2];
        out[x * 3 + 1] = row[x * 3 + 1];
        out[x * 3 + 2] = row[x * 3];
      }
    }
    ok = writePng(path, width, height, rgb.data());
  }
  if (bitmap)
    DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screenDc);
  return ok;
}

} // namespace testing_support
