// The full path of a loaded module.
#pragma once

#include <windows.h>

namespace os {

// UTF-8 path of module (null: the program) as a new buffer, or null when
// the system cannot give it whole.
char* getModuleFileName(HMODULE module);

} // namespace os
