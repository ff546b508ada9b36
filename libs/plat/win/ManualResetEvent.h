// A new unnamed event, reset by hand, not signalled; a failure throws
// plat::SystemException "CreateEvent". The caller owns the handle.
#pragma once

#include <windows.h>

namespace plat {

HANDLE newManualResetEvent();

} // namespace plat
