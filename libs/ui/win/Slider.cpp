#include "ui/win/Slider.h"

#include <commctrl.h>

namespace ui {

void Slider::setRange(int max) {
  SendMessageW(getHandle(), TBM_SETRANGE, FALSE, MAKELPARAM(0, max));
}

void Slider::setPos(int pos) { SendMessageW(getHandle(), TBM_SETPOS, TRUE, pos); }

int Slider::getPos() { return (int)SendMessageW(getHandle(), TBM_GETPOS, 0, 0); }

} // namespace ui
