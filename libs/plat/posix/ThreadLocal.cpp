#include "plat/ThreadLocal.h"

#include "plat/Exception.h"

#include <pthread.h>

namespace plat {

ThreadSlot::ThreadSlot(void (*destroy)(void*)) : index(0) {
  pthread_key_t key;
  int error = pthread_key_create(&key, destroy);
  if (error != 0)
    throw SystemException("pthread_key_create", error);
  index = (unsigned long)key;
}

void* ThreadSlot::get() const {
  return pthread_getspecific((pthread_key_t)index);
}

void ThreadSlot::set(void* value) {
  int error = pthread_setspecific((pthread_key_t)index, value);
  if (error != 0)
    throw SystemException("pthread_setspecific", error);
}

} // namespace plat
