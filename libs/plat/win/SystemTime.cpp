#include "plat/CurrentTime.h"

#include <windows.h>

namespace plat {

int64_t systemTime() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return (int64_t)((uint64_t)ft.dwHighDateTime << 32 | ft.dwLowDateTime);
}

} // namespace plat
