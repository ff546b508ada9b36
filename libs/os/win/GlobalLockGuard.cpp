#include "os/win/GlobalLockGuard.h"
#include "plat/Exception.h"

namespace os {

GlobalLockGuard::GlobalLockGuard(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {
  if (!data_)
    throw plat::SystemException("GlobalLock", (int)GetLastError());
}

} // namespace os
