#include "ui/win/ComboBox.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"

namespace ui {

void ComboBox::create(const char* title, DWORD style, int x, int y, int width, int height,
                      HWND parent, DWORD exStyle, UINT_PTR id) {
  Window::create(L"ComboBox", title, style, x, y, width, height, parent, exStyle, id);
}

int ComboBox::addString(const char* text) {
  plat::WString wtext(text);
  return (int)SendMessageW(getHandle(), CB_ADDSTRING, 0, (LPARAM)wtext.c_str());
}

int ComboBox::getCurSel() { return (int)SendMessageW(getHandle(), CB_GETCURSEL, 0, 0); }

char* ComboBox::itemText(int index) {
  LRESULT length = SendMessageW(getHandle(), CB_GETLBTEXTLEN, index, 0);
  if (index < 0 || length == CB_ERR)
    return plat::strDup("");
  wchar_t* buffer = new wchar_t[length + 1]();
  SendMessageW(getHandle(), CB_GETLBTEXT, index, (LPARAM)buffer);
  buffer[length] = 0;
  char* text = plat::W2MB(buffer);
  delete[] buffer;
  return text;
}

// Through the item list: a drop-down list's window text is not the
// selected item's on every system.
const char* ComboBox::getText() {
  if ((GetWindowLongW(getHandle(), GWL_STYLE) & 3) != CBS_DROPDOWNLIST)
    return getFullText();
  plat::String text = plat::String::adopt(itemText(getCurSel()));
  setCachedText(text.c_str());
  return Window::getText(true);
}

void ComboBox::setText(const char* text) {
  plat::WString wanted(text ? text : "");
  int index =
      (int)SendMessageW(getHandle(), CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)wanted.c_str());
  SendMessageW(getHandle(), CB_SETCURSEL, index == CB_ERR ? (WPARAM)-1 : (WPARAM)index, 0);
  if ((GetWindowLongW(getHandle(), GWL_STYLE) & 3) != CBS_DROPDOWNLIST && index == CB_ERR)
    Window::setText(text);
}

} // namespace ui
