#include "testing/ScreenPixels.h"

namespace testing_support {

ScreenPixels readScreen(RECT rect) {
  ScreenPixels pixels;
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (!IntersectRect(&rect, &rect, &screen))
    return pixels;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;

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
    pixels.rect = rect;
    pixels.rgb.resize((size_t)width * height * 3);
    int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; y++) {
      const uint8_t* row = (const uint8_t*)bits + (size_t)y * stride;
      uint8_t* out = pixels.rgb.data() + (size_t)y * width * 3;
      for (int x = 0; x < width; x++) { // the bitmap's order is blue, green, red
        out[x * 3] = row[x * 3 + 2];
        out[x * 3 + 1] = row[x * 3 + 1];
        out[x * 3 + 2] = row[x * 3];
      }
    }
  }
  if (bitmap)
    DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screenDc);
  return pixels;
}

} // namespace testing_support
