// The single-threaded apartment that one COM object is moved into, so that
// a caller blocking in one of its methods (the shell reading a stream)
// never stops the thread that made it. The thread pumps messages until the
// object's count falls to 0 and destroys the object. Then it waits a
// little for the next object before it ends: making and tearing down an
// apartment for every object (one per pasted file) is slow, and under Wine
// a new apartment's first marshal can deadlock against remote calls that
// are still being served.
#pragma once

#include "com/win/ComObject.h"
#include "plat/win/Thread.h"

#include <exception>
#include <memory>

namespace os {
class OleInitialiser;
}

namespace com {

class ComThread : public plat::Thread {
public:
  // How long a thread waits for a next object; at most MaxIdle wait.
  enum { IdleMs = 2000, MaxIdle = 4 };

  // Takes the object over: it is no longer destroyed by the Release that
  // brings its count to 0.
  ComThread(ComObjectImpl* object, IUnknown* iface, REFIID iid);
  ~ComThread() override;

  // A waiting thread given the object, or a new one.
  static ComThread* forObject(ComObjectImpl* object, IUnknown* iface, REFIID iid);

  // Starts the thread (or wakes it), waits until the object is marshalled
  // (or the apartment failed), releases iface, detaches the thread and
  // returns the proxy. Failures throw.
  IUnknown* marshal();

protected:
  // OLE for the thread and the process's COM security.
  virtual std::unique_ptr<os::OleInitialiser> enterApartment();

private:
  void run() override;
  // Marshals the object, then serves it until its count is 0.
  void serve();
  // Back on the list of waiting threads until a next object comes; false
  // when none came in time.
  bool awaitNext();
  void take(ComObjectImpl* object, IUnknown* iface, REFIID iid);

  HANDLE ready_;
  HANDLE work_;
  bool started_;
  ComObjectImpl* object_;
  IUnknown* interface_;
  IID iid_;
  HRESULT marshalResult_;
  IStream* marshalStream_;
  // Why the apartment could not start, when it could not (whatever was
  // thrown).
  std::exception_ptr startFailure_;
};

} // namespace com
