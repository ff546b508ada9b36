#include "plat/win/Thread.h"
#include "plat/Assert.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"

#include <cstdio>
#include <process.h>

namespace plat {

static LogWriter vlog("Threading");

static thread_local Thread* currentThread;

bool Condition::wait(int ms) {
  Thread* waiter = Thread::self();
  ResetEvent(waiter->wake_);
  {
    Lock l(own_);
    waiter->nextWaiter_ = waiters_;
    waiters_ = waiter;
  }
  mutex_->unlock();
  DWORD result = WaitForSingleObject(waiter->wake_, ms < 0 ? INFINITE : (DWORD)ms);
  DWORD err = GetLastError();
  mutex_->lock();
  if (result == WAIT_OBJECT_0)
    return true;
  {
    Lock l(own_);
    for (Thread** p = &waiters_; *p; p = &(*p)->nextWaiter_) {
      if (*p == waiter) {
        *p = waiter->nextWaiter_;
        break;
      }
    }
  }
  if (result == WAIT_TIMEOUT)
    return false;
  throw SystemException("failed to wait on Condition", (int)err);
}

void Condition::signal() {
  Lock l(own_);
  if (waiters_) {
    SetEvent(waiters_->wake_);
    waiters_ = waiters_->nextWaiter_;
  }
}

Thread::Thread(const char* name)
    : handle_(nullptr), id_(0), name_(name), state_(Created), cond_(new Condition(&lock_)),
      wake_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), nextWaiter_(nullptr),
      deleteAfterRun_(false) {
  unsigned id = 0;
  handle_ = (HANDLE)_beginthreadex(nullptr, 0, threadProc, this, CREATE_SUSPENDED, &id);
  if (!handle_) {
    DWORD err = GetLastError();
    delete cond_;
    CloseHandle(wake_);
    throw SystemException("CreateThread", (int)err);
  }
  id_ = id;
  logStep("created");
}

Thread::Thread(NativeTag)
    : handle_(GetCurrentThread()), id_(GetCurrentThreadId()), name_("Native"), state_(Native),
      cond_(nullptr), wake_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), nextWaiter_(nullptr),
      deleteAfterRun_(false) {
  logStep("created");
}

Thread::~Thread() {
  logStep("destroying");
  if (state_ != Native && !deleteAfterRun_)
    join();
  delete cond_;
  FILETIME created, exited, kernel, user;
  if (GetThreadTimes(handle_, &created, &exited, &kernel, &user)) {
    auto ms = [](const FILETIME& t) {
      return ((unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime) / 10000;
    };
    char detail[80];
    snprintf(detail, sizeof(detail), "%llums (kernel), %llums (user)", ms(kernel), ms(user));
    logStep("times", detail);
  } else {
    logStep("times");
  }
  logStep("destroyed");
  CloseHandle(wake_);
  if (state_ != Native)
    CloseHandle(handle_);
}

void Thread::logStep(const char* step, const char* detail) {
  vlog.debug("%-16.16s %s(%llx): %s", step, name_.c_str(),
             (unsigned long long)(uintptr_t)this, detail);
}

int Thread::getState() {
  Lock l(lock_);
  return state_;
}

void Thread::start() {
  Lock l(lock_);
  if (state_ != Created)
    return;
  state_ = Running;
  cond_->signal();
  ResumeThread(handle_);
}

void Thread::join() {
  if (deleteAfterRun_)
    assertionFailed("!deleteAfterRun", "Threading", __LINE__);
  Lock l(lock_);
  if (state_ == Joined) {
    logStep("already joined");
    return;
  }
  if (state_ == Native)
    return;
  if (state_ == Created) {
    TerminateThread(handle_, 0);
    state_ = Joined;
    logStep("joined [not started]");
    return;
  }
  logStep("joining");
  while (state_ == Running) {
    cond_->wait(-1);
    logStep("checking");
  }
  state_ = Joined;
  logStep("joined");
}

void Thread::detach() {
  if (deleteAfterRun_)
    assertionFailed("!deleteAfterRun", "Threading", __LINE__);
  logStep("detach");
  bool deleteNow;
  {
    Lock l(lock_);
    deleteNow = state_ != Running;
    if (!deleteNow)
      deleteAfterRun_ = true;
  }
  if (deleteNow)
    delete this;
}

Thread* Thread::self() {
  if (!currentThread)
    currentThread = new Thread(NativeTag());
  return currentThread;
}

unsigned __stdcall Thread::threadProc(void* arg) {
  Thread* t = (Thread*)arg;
  currentThread = t;
  t->logStep("started");
  try {
    t->run();
    t->logStep("stopped");
  } catch (...) {
    t->logStep("failed", caughtText());
  }
  bool deleteNow;
  {
    Lock l(t->lock_);
    t->state_ = Finished;
    t->cond_->signal();
    deleteNow = t->deleteAfterRun_;
  }
  currentThread = nullptr;
  if (deleteNow)
    delete t;
  return 0;
}

} // namespace plat
