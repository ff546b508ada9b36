#include "com/win/MtaThread.h"

#include "plat/Assert.h"
#include "plat/Exception.h"

namespace com {

namespace {

// Guards the instance and its job list. Never destroyed: callers on other
// threads may still look at it while the process ends.
plat::Mutex& instanceLock() {
  static plat::Mutex* lock = new plat::Mutex;
  return *lock;
}
MtaThread* instance = nullptr;

HANDLE newEvent() {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!event)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  return event;
}

} // namespace

struct MtaThread::Job {
  const std::function<HRESULT()>* run;
  HRESULT result;
  plat::Handle done;
};

MtaThread::MtaThread()
    : plat::Thread("MtaThread"), ready_(newEvent()), work_(newEvent()), started_(E_FAIL),
      stopping_(false) {
  start();
  WaitForSingleObject(ready_, INFINITE);
  if (FAILED(started_)) {
    join();
    throw plat::SystemException("CoInitializeEx", (int)started_);
  }
  plat::Lock l(instanceLock());
  PLAT_ASSERT(instance == nullptr);
  instance = this;
}

MtaThread::~MtaThread() {
  {
    plat::Lock l(instanceLock());
    instance = nullptr;
    stopping_ = true;
    SetEvent(work_);
  }
  join();
}

bool MtaThread::exists() {
  plat::Lock l(instanceLock());
  return instance != nullptr;
}

void MtaThread::run() {
  started_ = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  SetEvent(ready_);
  if (FAILED(started_))
    return;
  bool stop = false;
  while (!stop) {
    WaitForSingleObject(work_, INFINITE);
    std::deque<Job*> jobs;
    {
      // Jobs queued before the stop still run: nothing is queued after it.
      plat::Lock l(instanceLock());
      jobs.swap(jobs_);
      stop = stopping_;
    }
    for (Job* job : jobs) {
      job->result = (*job->run)();
      SetEvent(job->done);
    }
  }
  CoUninitialize();
}

HRESULT MtaThread::call(const std::function<HRESULT()>& job) {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  if (SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && type == APTTYPE_MTA)
    return job();
  Job queued;
  queued.run = &job;
  queued.result = E_FAIL;
  queued.done.reset(newEvent());
  {
    plat::Lock l(instanceLock());
    if (!instance)
      return CO_E_NOTINITIALIZED;
    instance->jobs_.push_back(&queued);
    SetEvent(instance->work_);
  }
  WaitForSingleObject(queued.done, INFINITE);
  return queued.result;
}

} // namespace com
