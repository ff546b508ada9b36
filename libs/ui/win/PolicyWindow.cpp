#include "ui/win/PolicyWindow.h"

namespace ui {

void PolicyWindow::setEnabled(bool wanted) {
  wanted_ = wanted;
  EnableWindow(getHandle(), wanted_ && !locked_);
}

void PolicyWindow::setLocked(bool locked) {
  locked_ = locked;
  setEnabled(wanted_);
}

} // namespace ui
