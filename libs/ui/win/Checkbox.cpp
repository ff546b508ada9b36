#include "ui/win/Checkbox.h"

namespace ui {

CheckboxWidget::State Checkbox::getState() {
  switch (SendMessageW(getHandle(), BM_GETCHECK, 0, 0)) {
  case BST_UNCHECKED:
    return Unchecked;
  case BST_CHECKED:
    return Checked;
  default:
    return Indeterminate;
  }
}

void Checkbox::setState(int state) {
  WPARAM check = state == Checked ? BST_CHECKED : state == Unchecked ? BST_UNCHECKED
                                                                     : BST_INDETERMINATE;
  SendMessageW(getHandle(), BM_SETCHECK, check, 0);
}

void Checkbox::setTriState(bool on) {
  WINDOWINFO info = {sizeof(info)};
  if (!GetWindowInfo(getHandle(), &info))
    return;
  DWORD style = (info.dwStyle & ~0xFu) | (on ? BS_AUTO3STATE : BS_AUTOCHECKBOX);
  SendMessageW(getHandle(), BM_SETSTYLE, style, FALSE);
}

} // namespace ui
