#include "com/win/ComThread.h"
#include "os/win/OleInitialiser.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace com {

namespace {

// The threads waiting for a next object. Never destroyed: threads may
// still look at it while the process ends.
plat::Mutex& idleLock() {
  static plat::Mutex* lock = new plat::Mutex;
  return *lock;
}
std::vector<ComThread*>& idleThreads() {
  static std::vector<ComThread*>* threads = new std::vector<ComThread*>;
  return *threads;
}

} // namespace

ComThread::ComThread(ComObjectImpl* object, IUnknown* iface, REFIID iid)
    : plat::Thread("ComThread"), ready_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      work_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), started_(false), object_(nullptr),
      interface_(nullptr), iid_(iid), marshalResult_(E_FAIL), marshalStream_(nullptr) {
  if (!ready_ || !work_)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  take(object, iface, iid);
}

ComThread::~ComThread() {
  CloseHandle(ready_);
  CloseHandle(work_);
}

void ComThread::take(ComObjectImpl* object, IUnknown* iface, REFIID iid) {
  object_ = object;
  interface_ = iface;
  iid_ = iid;
  marshalResult_ = E_FAIL;
  marshalStream_ = nullptr;
  plat::Lock l(object_->lock_);
  object_->destroyOnZero_ = false;
  object_->comThreadId_ = getThreadId();
}

ComThread* ComThread::forObject(ComObjectImpl* object, IUnknown* iface, REFIID iid) {
  {
    plat::Lock l(idleLock());
    std::vector<ComThread*>& idle = idleThreads();
    if (!idle.empty()) {
      ComThread* thread = idle.back();
      idle.pop_back();
      thread->take(object, iface, iid);
      return thread;
    }
  }
  return new ComThread(object, iface, iid);
}

std::unique_ptr<os::OleInitialiser> ComThread::enterApartment() {
  std::unique_ptr<os::OleInitialiser> ole(new os::OleInitialiser);
  os::initComSecurity();
  return ole;
}

void ComThread::run() {
  // The queue must exist before a Release on another thread may post the
  // wake-up for a count of 0.
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  std::unique_ptr<os::OleInitialiser> ole;
  try {
    ole = enterApartment();
  } catch (...) {
    // Whatever it was, the caller waiting for the marshal gets it.
    comObjectLog.error("%s", plat::caughtText());
    startFailure_ = std::current_exception();
  }
  do
    serve();
  while (ole && awaitNext());
}

void ComThread::serve() {
  comObjectLog.write(101, "managing %p", (void*)object_);
  if (!startFailure_)
    marshalResult_ = CoMarshalInterThreadInterfaceInStream(iid_, interface_, &marshalStream_);
  // Success or not, the caller is waiting for the answer.
  SetEvent(ready_);

  MSG msg;
  while (object_->refCount() > 0) {
    if (GetMessageW(&msg, nullptr, 0, 0) > 0)
      DispatchMessageW(&msg);
    comObjectLog.write(110, "%p->refCount = %i", (void*)object_, (int)object_->refCount());
  }
  object_->destroy();
  comObjectLog.write(101, "cleaning up %p", (void*)object_);
}

bool ComThread::awaitNext() {
  {
    plat::Lock l(idleLock());
    std::vector<ComThread*>& idle = idleThreads();
    if (idle.size() >= MaxIdle)
      return false;
    object_ = nullptr;
    idle.push_back(this);
  }
  for (;;) {
    // Served messages keep the apartment's own work (COM's clean-up of
    // released proxies) going while it waits.
    DWORD result = MsgWaitForMultipleObjects(1, &work_, FALSE, IdleMs, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0)
      return true;
    if (result == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
      continue;
    }
    plat::Lock l(idleLock());
    std::vector<ComThread*>& idle = idleThreads();
    auto self = std::find(idle.begin(), idle.end(), this);
    if (self == idle.end()) {
      // Taken just as the time ran out: the object is ours, and the
      // wake-up for it is on its way.
      WaitForSingleObject(work_, INFINITE);
      return true;
    }
    idle.erase(self);
    return false;
  }
}

IUnknown* ComThread::marshal() {
  bool fresh = !started_;
  started_ = true;
  if (fresh)
    start();
  else
    SetEvent(work_);
  WaitForSingleObject(ready_, INFINITE);
  // The answer is read before the reference goes: without a proxy that was
  // the object's last, and the thread may then end it and be handed the
  // next object, or end and delete itself.
  std::exception_ptr failure = startFailure_;
  startFailure_ = nullptr;
  HRESULT marshalResult = marshalResult_;
  IStream* stream = marshalStream_;
  IID iid = iid_;
  interface_->Release();
  // From here the thread deletes itself when it ends.
  if (fresh)
    detach();
  if (failure)
    std::rethrow_exception(failure);
  if (FAILED(marshalResult))
    throw plat::SystemException("CoMarshalInterThreadInterfaceInStream", (int)marshalResult);
  IUnknown* proxy = nullptr;
  HRESULT result = CoGetInterfaceAndReleaseStream(stream, iid, (void**)&proxy);
  if (FAILED(result))
    throw plat::SystemException("CoGetInterfaceAndReleaseStream", (int)result);
  return proxy;
}

} // namespace com
