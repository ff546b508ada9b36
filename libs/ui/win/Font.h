// One GDI font, owned: deleted when replaced or when the holder goes.
#pragma once

#include <windows.h>

namespace ui {

class Font {
public:
  // With copy, the holder makes its own copy of font; otherwise it adopts
  // it. Throws plat::SystemException "GetObject" or "CreateFontIndirect".
  explicit Font(HFONT font = nullptr, bool copy = false);
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  ~Font();

  void set(HFONT font, bool copy);
  HFONT handle() const { return font_; }

private:
  HFONT font_;
};

} // namespace ui
