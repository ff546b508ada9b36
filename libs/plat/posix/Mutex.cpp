#include "plat/Mutex.h"

#include <pthread.h>

namespace plat {

Mutex::Mutex() {
  pthread_mutex_t* m = new pthread_mutex_t;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(m, &attr);
  pthread_mutexattr_destroy(&attr);
  impl_ = m;
}

Mutex::~Mutex() {
  pthread_mutex_t* m = (pthread_mutex_t*)impl_;
  pthread_mutex_destroy(m);
  delete m;
}

void Mutex::lock() { pthread_mutex_lock((pthread_mutex_t*)impl_); }
void Mutex::unlock() { pthread_mutex_unlock((pthread_mutex_t*)impl_); }

} // namespace plat
