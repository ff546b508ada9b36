#include "plat/ThreadLocal.h"

#include "plat/Exception.h"

#include <windows.h>

namespace plat {

// Fiber-local storage: unlike plain thread-local storage, the system calls
// back with each thread's value as the thread ends.
ThreadSlot::ThreadSlot(void (*destroy)(void*))
    : index(FlsAlloc((PFLS_CALLBACK_FUNCTION)destroy)) {
  if (index == FLS_OUT_OF_INDEXES)
    throw SystemException("FlsAlloc", (int)GetLastError());
}

void* ThreadSlot::get() const {
  return FlsGetValue(index);
}

void ThreadSlot::set(void* value) {
  if (!FlsSetValue(index, value))
    throw SystemException("FlsSetValue", (int)GetLastError());
}

} // namespace plat
