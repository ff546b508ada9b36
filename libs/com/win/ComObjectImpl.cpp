#include "com/win/ComObject.h"
#include "com/win/ComThread.h"
#include "plat/LogWriter.h"

#include <cstring>

namespace com {

plat::LogWriter comObjectLog("ComObjectImpl");

ComObjectImpl::ComObjectImpl() : refCount_(1), destroyOnZero_(true), comThreadId_(0) {}

ComObjectImpl::~ComObjectImpl() {}

LONG ComObjectImpl::refCount() {
  plat::Lock l(lock_);
  return refCount_;
}

ULONG ComObjectImpl::AddRef() {
  LONG count;
  {
    plat::Lock l(lock_);
    count = ++refCount_;
  }
  comObjectLog.write(101, "%p->AddRef() -> %lu", (void*)this, (unsigned long)count);
  return (ULONG)count;
}

ULONG ComObjectImpl::Release() {
  LONG count;
  bool destroyNow;
  DWORD wake;
  {
    plat::Lock l(lock_);
    count = --refCount_;
    destroyNow = count == 0 && destroyOnZero_;
    wake = count == 0 && !destroyOnZero_ ? comThreadId_ : 0;
  }
  // The object may be gone from here on unless destroyNow: its thread
  // deletes it as soon as it sees the count at 0.
  comObjectLog.write(101, "%p->Release() -> %lu", (void*)this, (unsigned long)count);
  if (wake)
    PostThreadMessageW(wake, WM_NULL, 0, 0);
  if (destroyNow)
    destroy();
  return (ULONG)count;
}

HRESULT ComObjectImpl::QueryInterface(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  InterfaceList interfaces;
  getInterfaces(&interfaces);
  for (const ComInterface& entry : interfaces) {
    if (memcmp(&entry.iid, &iid, sizeof(IID)) == 0) {
      entry.pointer->AddRef();
      *out = entry.pointer;
      break;
    }
  }
  comObjectLog.write(101, "%p->QI(%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x) = %p",
                     (void*)this, (unsigned)iid.Data1, iid.Data2, iid.Data3, iid.Data4[0],
                     iid.Data4[1], iid.Data4[2], iid.Data4[3], iid.Data4[4], iid.Data4[5],
                     iid.Data4[6], iid.Data4[7], *out);
  return *out ? S_OK : E_NOINTERFACE;
}

IUnknown* ComObjectImpl::runOnComThread(IUnknown* iface, REFIID iid) {
  return ComThread::forObject(this, iface, iid)->marshal();
}

void ComObjectImpl::destroy() { delete this; }

} // namespace com
