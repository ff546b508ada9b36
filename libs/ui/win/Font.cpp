#include "ui/win/Font.h"
#include "plat/Exception.h"

namespace ui {

Font::Font(HFONT font, bool copy) : font_(nullptr) { set(font, copy); }

Font::~Font() {
  if (font_)
    DeleteObject(font_);
}

// The copy is made before the held font goes: it may be the one copied.
void Font::set(HFONT font, bool copy) {
  HFONT next = font;
  if (font && copy) {
    LOGFONTW description;
    if (!GetObjectW(font, sizeof(description), &description))
      throw plat::SystemException("GetObject", (int)GetLastError());
    next = CreateFontIndirectW(&description);
    if (!next)
      throw plat::SystemException("CreateFontIndirect", (int)GetLastError());
  }
  if (font_ && font_ != next)
    DeleteObject(font_);
  font_ = next;
}

} // namespace ui
