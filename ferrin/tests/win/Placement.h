// Where ferrin's windows put their controls, as the tests measure it.
#pragma once

#include "os/win/StartupValues.h"

#include <windows.h>

namespace ferrin_test {

// A length given at 96 DPI as the windows lay it out at the screen's DPI
// (truncated).
inline int px(int at96) { return at96 * os::screenDpi() / 96; }

// Where a control sits in its parent's client area.
inline RECT placeOf(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), (POINT*)&r, 2);
  return r;
}

} // namespace ferrin_test
