// The base of every COM object of the programs: a reference count that any
// thread may change, traced AddRef, Release and QueryInterface, and a table
// of interfaces supplied by the concrete class.
//
//   class Stream : public com::ComObjectImpl, public IStream { ... };
//   IStream* s = new com::ComObject<Stream>(...);   // count 1
//
// ComObject<T> gives every interface of T the one IUnknown implementation.
#pragma once

#include "plat/LogWriter.h"
#include "plat/Mutex.h"

#include <objbase.h>

#include <utility>
#include <vector>

namespace com {

// The one "ComObjectImpl" log writer: COM objects and their apartment threads.
extern plat::LogWriter comObjectLog;

struct ComInterface {
  IID iid;
  IUnknown* pointer;
};
typedef std::vector<ComInterface> InterfaceList;

class ComThread;

class ComObjectImpl {
public:
  ComObjectImpl();
  ComObjectImpl(const ComObjectImpl&) = delete;
  ComObjectImpl& operator=(const ComObjectImpl&) = delete;
  virtual ~ComObjectImpl();

  // One entry per interface offered, IUnknown included.
  virtual void getInterfaces(InterfaceList* list) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out);
  virtual ULONG STDMETHODCALLTYPE AddRef();
  virtual ULONG STDMETHODCALLTYPE Release();
  // Moves the object into a single-threaded apartment of its own, which
  // runs until the count falls to 0 and then destroys it there. Takes over
  // the caller's reference in iface and returns a proxy for another
  // apartment (a reference for the caller). The calling thread must have
  // COM. Failures throw plat::SystemException; the object then still ends
  // on its thread once its count reaches 0.
  virtual IUnknown* runOnComThread(IUnknown* iface, REFIID iid);
  virtual void destroy();

  LONG refCount();

private:
  friend class ComThread;

  LONG refCount_;
  plat::Mutex lock_;
  bool destroyOnZero_;
  // The thread that destroys a moved object, to be woken when its count
  // reaches 0 outside its message loop.
  DWORD comThreadId_;
};

template <class T> class ComObject : public T {
public:
  template <typename... Args> explicit ComObject(Args&&... args) : T(std::forward<Args>(args)...) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return ComObjectImpl::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ComObjectImpl::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return ComObjectImpl::Release(); }
};

} // namespace com
