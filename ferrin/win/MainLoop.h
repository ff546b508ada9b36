// The main thread's loop: due timers, then one wait for a window message, a
// registered event or the next timer; a message goes first to the thread's
// modeless dialogs (their keys: Tab, Enter, Escape), else it is translated
// and dispatched.
#pragma once

namespace ferrin {

// Runs until WM_QUIT (its wParam is the result) or, checked after every
// pass, until connected is false (result 0).
int runMainLoop(const bool& connected);

} // namespace ferrin
