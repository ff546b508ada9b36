// Named worker threads that log each step of their life, and the condition
// used to wait for one to finish.
//
// A subclass whose run() touches its own members must join() in its own
// destructor: the base destructor runs after the subclass part is gone.
#pragma once

#include "plat/Mutex.h"
#include "plat/String.h"

#include <windows.h>

namespace plat {

class Thread;

// A list of waiting threads, each sleeping on its own wake event. Used with
// the mutex of the object being waited for.
class Condition {
public:
  explicit Condition(Mutex* mutex) : mutex_(mutex), waiters_(nullptr) {}
  Condition(const Condition&) = delete;
  Condition& operator=(const Condition&) = delete;

  // Called with the mutex held; leaves it while waiting (ms < 0: no limit).
  // Returns false on a time-out.
  bool wait(int ms);
  // Wakes the most recent waiter, if any.
  void signal();

private:
  Mutex* mutex_;
  Mutex own_;
  Thread* waiters_;
};

class Thread {
public:
  enum State { Created = 0, Running = 1, Finished = 2, Joined = 3, Native = 4 };

  explicit Thread(const char* name);
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  virtual ~Thread();

  virtual void run() {}
  virtual void start();
  virtual void join();
  // A running thread deletes itself when run() ends; otherwise the object
  // is deleted at once.
  virtual void detach();

  // The calling thread's object; threads not made here get a "Native"
  // wrapper on first use.
  static Thread* self();

  DWORD getThreadId() const { return id_; }
  const char* getName() const { return name_.c_str(); }
  int getState();

private:
  struct NativeTag {};
  explicit Thread(NativeTag);
  static unsigned __stdcall threadProc(void* arg);
  void logStep(const char* step, const char* detail = "");

  friend class Condition;
  HANDLE handle_;
  DWORD id_;
  String name_;
  int state_;
  Condition* cond_;
  Mutex lock_;
  HANDLE wake_;
  Thread* nextWaiter_;
  bool deleteAfterRun_;
};

} // namespace plat
