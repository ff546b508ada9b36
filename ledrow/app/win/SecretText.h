// Reading a password out of an edit control.
#pragma once

#include "ledrow/data/ZeroingBuffer.h"

#include <windows.h>

namespace addrbook {

// The edit's text as UTF-8; every copy made on the way is wiped.
ZeroingBuffer secretText(HWND edit);

} // namespace addrbook
