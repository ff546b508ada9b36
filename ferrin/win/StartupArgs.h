// The four arguments the viewer or server always passes to ferrin, and the
// optional ones after them.
#pragma once

#include "os/win/Console.h"
#include "plat/String.h"
#include "plat/win/CommandLineArgs.h"

#include <cstdint>

namespace ferrin {

struct StartupArgs {
  uint32_t cookie;
  plat::String host;
  int port;
  // Only the exact word "-service" selects service mode.
  bool serviceMode;
  bool clipboardSharing;
};

// Entries 1 to 4: the cookie (decimal, 0x hexadecimal or leading-0 octal;
// text that is no number gives 0), the endpoint (host and port), the mode
// word and the clipboard flag (nonzero is on). Fewer throw "This
// application is not intended to be run in this way."; a malformed
// endpoint throws the endpoint parser's exception.
StartupArgs parseStartupArgs(const plat::CommandLineArgs& args);

// Entries 5 and on: "-console" (any case) opens a console; anything else is
// tried as a "Global" setting at priority 50 and ignored when it names
// none.
void applyOptionalArgs(const plat::CommandLineArgs& args, os::Console& console);

// "SOFTWARE\Torvane\FileTransfer_Service" or "..._User".
const char* settingsKeyPath(bool serviceMode);

} // namespace ferrin
