#include "testing/TextInk.h"

#include <cstdint>

namespace testing_support {

namespace {

// The pixels text covers drawn black on white.
int inkOf(HFONT font, const std::wstring& text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size);
  // Room for overhangs on either side.
  int width = size.cx + 2 * size.cy, height = 2 * size.cy;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  int ink = 0;
  if (bitmap) {
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, size.cy, size.cy / 2, text.c_str(), (int)text.size());
    GdiFlush();
    const uint32_t* pixel = (const uint32_t*)bits;
    for (int i = 0; i < width * height; i++)
      if ((pixel[i] & 0xFFFFFF) != 0xFFFFFF)
        ink++;
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
  }
  SelectObject(dc, oldFont);
  DeleteDC(dc);
  return ink;
}

} // namespace

bool drawsInNormalWeight(HFONT font, const std::wstring& text) {
  LOGFONTW description;
  if (!font || !GetObjectW(font, sizeof(description), &description) ||
      description.lfWeight < FW_SEMIBOLD)
    return false;
  description.lfWeight = FW_NORMAL;
  HFONT normal = CreateFontIndirectW(&description);
  bool same = normal && inkOf(font, text) <= inkOf(normal, text);
  if (normal)
    DeleteObject(normal);
  return same;
}

} // namespace testing_support
