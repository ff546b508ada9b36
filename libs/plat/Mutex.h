// Mutual exclusion: a recursive lock (a critical section on Windows) and a
// scoped holder. These are the only locks the programs use.
#pragma once

namespace plat {

class Mutex {
public:
  Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  ~Mutex();

  void lock();
  void unlock();
  // The platform object (a CRITICAL_SECTION on Windows).
  void* native() { return impl_; }

private:
  void* impl_;
};

class Lock {
public:
  explicit Lock(Mutex& m) : m_(m) { m_.lock(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  ~Lock() { m_.unlock(); }

private:
  Mutex& m_;
};

// Leaves a held lock for a scope (a call that may take long) and takes it
// again on every way out.
class Unlock {
public:
  explicit Unlock(Mutex& m) : m_(m) { m_.unlock(); }
  Unlock(const Unlock&) = delete;
  Unlock& operator=(const Unlock&) = delete;
  ~Unlock() { m_.lock(); }

private:
  Mutex& m_;
};

} // namespace plat
