// The default window procedure of every window class the programs register.
// Any process on the desktop may post a window WM_TIMER with a callback
// address in lParam, and DefWindowProc would call that address on our
// thread; such a message is dropped and logged instead.
#pragma once

#include <windows.h>

namespace plat {
class LogWriter;
}

namespace os {

// "WMShatter": the dropped messages are logged here at level 30.
extern plat::LogWriter wmShatterLog;

LRESULT CALLBACK IsSafeWM(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace os
