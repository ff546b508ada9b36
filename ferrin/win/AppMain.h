// ferrin from its command line to its exit code.
#pragma once

#include "plat/win/CommandLineArgs.h"

#include <windows.h>

namespace ferrin {

// Start-up, the connection back to the process that started ferrin (the
// cookie first), the main loop, and the orderly stop. A plat::Exception
// anywhere is logged and gives exit code 1; the peer closing gives 0.
int appMain(HINSTANCE instance, const plat::CommandLineArgs& args, const wchar_t* iconName);

} // namespace ferrin
