#include "com/win/ComThread.h"
#include "os/win/OleInitialiser.h"
#include "plat/LogWriter.h"

namespace com {

ComThread::ComThread(ComObjectImpl* object, IUnknown* iface, REFIID iid)
    : plat::Thread("ComThread"), ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      object_(object), interface_(iface), iid_(iid), marshalResult_(E_FAIL),
      marshalStream_(nullptr) {
  if (!ready_)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  plat::Lock l(object_->lock_);
  object_->destroyOnZero_ = false;
  object_->comThreadId_ = getThreadId();
}

ComThread::~ComThread() { CloseHandle(ready_); }

std::unique_ptr<os::OleInitialiser> ComThread::enterApartment() {
  std::unique_ptr<os::OleInitialiser> ole(new os::OleInitialiser);
  os::initComSecurity();
  return ole;
}

void ComThread::run() {
  comObjectLog.write(101, "managing %p", (void*)object_);
  // The queue must exist before a Release on another thread may post the
  // wake-up for a count of 0.
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  std::unique_ptr<os::OleInitialiser> ole;
  try {
    ole = enterApartment();
    marshalResult_ = CoMarshalInterThreadInterfaceInStream(iid_, interface_, &marshalStream_);
  } catch (const plat::SystemException& e) {
    comObjectLog.error("%s", e.str());
    startFailure_.reset(new plat::SystemException(e));
  } catch (const plat::Exception& e) {
    comObjectLog.error("%s", e.str());
    startFailure_.reset(new plat::SystemExceptionFmt("%s", E_FAIL, e.str()));
  }
  // Success or not, the caller is waiting for the answer.
  SetEvent(ready_);

  while (object_->refCount() > 0) {
    if (GetMessageW(&msg, nullptr, 0, 0) > 0)
      DispatchMessageW(&msg);
    comObjectLog.write(110, "%p->refCount = %i", (void*)object_, (int)object_->refCount());
  }
  object_->destroy();
  comObjectLog.write(101, "cleaning up %p", (void*)object_);
}

IUnknown* ComThread::marshal() {
  start();
  WaitForSingleObject(ready_, INFINITE);
  interface_->Release();
  std::unique_ptr<plat::SystemException> failure = std::move(startFailure_);
  HRESULT marshalResult = marshalResult_;
  IStream* stream = marshalStream_;
  IID iid = iid_;
  // From here the thread deletes itself when the object is gone.
  detach();
  if (failure)
    throw plat::SystemException(*failure);
  if (FAILED(marshalResult))
    throw plat::SystemException("CoMarshalInterThreadInterfaceInStream", (int)marshalResult);
  IUnknown* proxy = nullptr;
  HRESULT result = CoGetInterfaceAndReleaseStream(stream, iid, (void**)&proxy);
  if (FAILED(result))
    throw plat::SystemException("CoGetInterfaceAndReleaseStream", (int)result);
  return proxy;
}

} // namespace com
