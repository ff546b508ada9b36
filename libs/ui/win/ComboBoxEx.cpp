#include "ui/win/ComboBoxEx.h"
#include "plat/win/Unicode.h"

namespace ui {

void ComboBoxEx::create(const char* title, DWORD style, int x, int y, int width, int height,
                        HWND parent, DWORD exStyle, UINT_PTR id) {
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_USEREX_CLASSES};
  InitCommonControlsEx(&init);
  Window::create(WC_COMBOBOXEXW, title, style, x, y, width, height, parent, exStyle, id);
}

void ComboBoxEx::setImageList(HIMAGELIST images) {
  SendMessageW(getHandle(), CBEM_SETIMAGELIST, 0, (LPARAM)images);
}

void ComboBoxEx::clear() { SendMessageW(getHandle(), CB_RESETCONTENT, 0, 0); }

int ComboBoxEx::getCurSel() { return (int)SendMessageW(getHandle(), CB_GETCURSEL, 0, 0); }

void ComboBoxEx::setCurSel(int index) { SendMessageW(getHandle(), CB_SETCURSEL, index, 0); }

int ComboBoxEx::addItem(const char* text, int image) {
  plat::WString wtext(text);
  COMBOBOXEXITEMW item = {};
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
  item.iItem = -1;
  item.pszText = const_cast<wchar_t*>(wtext.c_str());
  item.iImage = image;
  item.iSelectedImage = image;
  return (int)SendMessageW(getHandle(), CBEM_INSERTITEMW, 0, (LPARAM)&item);
}

int ComboBoxEx::itemCount() { return (int)SendMessageW(getHandle(), CB_GETCOUNT, 0, 0); }

char* ComboBoxEx::itemText(int index) {
  wchar_t buffer[512] = {0};
  COMBOBOXEXITEMW item = {};
  item.mask = CBEIF_TEXT;
  item.iItem = index;
  item.pszText = buffer;
  item.cchTextMax = 512;
  if (index < 0 || !SendMessageW(getHandle(), CBEM_GETITEMW, 0, (LPARAM)&item))
    buffer[0] = 0;
  buffer[511] = 0;
  return plat::W2MB(buffer);
}

const char* ComboBoxEx::getText() {
  if ((GetWindowLongW(getHandle(), GWL_STYLE) & 3) != CBS_DROPDOWNLIST)
    return Window::getText();
  // Kept as the window's cached text, like any other text read.
  plat::String text = plat::String::adopt(itemText(getCurSel()));
  Window::setCachedText(text.c_str());
  return Window::getText(true);
}

void ComboBoxEx::setText(const char* text) {
  plat::WString wanted(text ? text : "");
  int wantedLength = lstrlenW(wanted.c_str());
  int count = itemCount();
  for (int i = 0; i < count; i++) {
    plat::WString item(plat::String::adopt(itemText(i)).c_str());
    if (lstrlenW(item.c_str()) >= wantedLength &&
        CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, item.c_str(), wantedLength,
                       wanted.c_str(), wantedLength) == CSTR_EQUAL) {
      setCurSel(i);
      return;
    }
  }
  setCurSel(-1);
}

} // namespace ui
