// ledrow from its command line to its exit code.
#pragma once

#include "plat/win/CommandLineArgs.h"

#include <windows.h>

namespace addrbook {

// Settings (registry policy, the user's values, the command line), the
// single-instance rule, the main window over the loaded book, and the
// message loop. A plat::Exception is shown in an error box and gives exit
// code 1; help gives 0, an unknown option 1.
int appMain(HINSTANCE instance, const plat::CommandLineArgs& args);

// The thread's loop until WM_QUIT (its wParam is the result): due timers,
// then one wait for a message or an event; dialogs take their messages.
int runMessageLoop();

} // namespace addrbook
