// ledrow from its command line to its exit code.
#pragma once

#include "plat/win/CommandLineArgs.h"

#include <windows.h>

namespace addrbook {

// Settings (registry policy, the user's values, the command line), the
// single-instance rule, the main window over the loaded book, and the
// message loop. A failure of start-up, of the loop or of a handler the loop
// called is shown in an error box without an owner and gives exit code 1;
// help gives 0, an unknown option 1.
int appMain(HINSTANCE instance, const plat::CommandLineArgs& args);

// The thread's loop until WM_QUIT (its wParam is the result): due timers,
// then one wait for a message or an event; dialogs take their messages.
// Throws the failure of a handler it called (ui/win/HandlerFailure.h).
int runMessageLoop();

} // namespace addrbook
