#include "os/win/Console.h"
#include "plat/Exception.h"

#include <windows.h>

#include <cstdio>

namespace os {

void Console::open() {
  if (opened_)
    return;
  // A process that has a console already (Wine hands a program started
  // from a terminal its terminal's) uses that one.
  if (!AllocConsole() && GetLastError() != ERROR_ACCESS_DENIED)
    throw plat::SystemException("AllocConsole", (int)GetLastError());
  opened_ = true;
  if (!freopen("CONIN$", "rb", stdin) || !freopen("CONOUT$", "wb", stdout) ||
      !freopen("CONOUT$", "wb", stderr))
    throw plat::SystemException("reopen standard streams", (int)GetLastError());
  setvbuf(stderr, nullptr, _IONBF, 0);
}

} // namespace os
