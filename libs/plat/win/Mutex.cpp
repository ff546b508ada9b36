#include "plat/Mutex.h"

#include <windows.h>

namespace plat {

Mutex::Mutex() {
  CRITICAL_SECTION* cs = new CRITICAL_SECTION;
  InitializeCriticalSection(cs);
  impl_ = cs;
}

Mutex::~Mutex() {
  CRITICAL_SECTION* cs = (CRITICAL_SECTION*)impl_;
  DeleteCriticalSection(cs);
  delete cs;
}

void Mutex::lock() { EnterCriticalSection((CRITICAL_SECTION*)impl_); }
void Mutex::unlock() { LeaveCriticalSection((CRITICAL_SECTION*)impl_); }

} // namespace plat
