#include "ui/win/EditBox.h"

#include <algorithm>

namespace ui {

void AutoExpandEditBox::measureLine() {
  RECT format = {};
  SendMessageW(getHandle(), EM_GETRECT, 0, (LPARAM)&format);
  lineHeight_ = format.bottom - format.top;
  shownLines_ = 1;
}

int AutoExpandEditBox::adjustHeight() {
  int lines = std::min((int)SendMessageW(getHandle(), EM_GETLINECOUNT, 0, 0), maxLines_);
  int delta = (lines - shownLines_) * lineHeight_;
  if (delta == 0)
    return 0;
  RECT r;
  GetWindowRect(getHandle(), &r);
  SetWindowPos(getHandle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top + delta,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  shownLines_ = lines;
  return delta;
}

} // namespace ui
