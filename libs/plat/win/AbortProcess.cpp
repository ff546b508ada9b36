#include "plat/Assert.h"

#include <windows.h>
#include <cstdio>

namespace plat {

void abortProcess() {
  fflush(stderr);
  // abort() of the C runtime may show a message box in a GUI program.
  TerminateProcess(GetCurrentProcess(), 3);
  for (;;)
    Sleep(INFINITE);
}

} // namespace plat
