// Places a window (a property sheet, a dialog) in the middle of its parent,
// or of the work area when there is no parent to centre over.
#pragma once

#include <windows.h>

namespace os {

// Over the parent's window rectangle; when the parent is null, hidden or
// has no rectangle, over the work area of the parent's monitor, or of the
// window's own. The size, z-order and activation stay as they are.
void centreWindow(HWND window, HWND parent);

} // namespace os
