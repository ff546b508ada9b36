#include "os/win/ModuleFileName.h"
#include "plat/win/Unicode.h"

#include <memory>

namespace os {

char* getModuleFileName(HMODULE module) {
  // The system cuts a long path to the buffer without failing, so the
  // buffer grows until the path fits, up to the longest path there is.
  for (DWORD units = MAX_PATH + 1; units <= 32768 * 2; units *= 2) {
    std::unique_ptr<wchar_t[]> path(new wchar_t[units]);
    DWORD length = GetModuleFileNameW(module, path.get(), units);
    if (length == 0)
      return nullptr;
    if (length < units) // a cut path fills the whole buffer
      return plat::W2MB(path.get(), CP_UTF8, (int)length);
  }
  return nullptr;
}

} // namespace os
