// The single-threaded apartment that one COM object is moved into, so that
// a caller blocking in one of its methods (the shell reading a stream)
// never stops the thread that made it. The thread pumps messages until the
// object's count falls to 0, destroys the object and ends.
#pragma once

#include "com/win/ComObject.h"
#include "plat/win/Thread.h"

#include <memory>

namespace os {
class OleInitialiser;
}

namespace com {

class ComThread : public plat::Thread {
public:
  // Takes the object over: it is no longer destroyed by the Release that
  // brings its count to 0.
  ComThread(ComObjectImpl* object, IUnknown* iface, REFIID iid);
  ~ComThread() override;

  // Starts the thread, waits until the object is marshalled (or the
  // apartment failed), releases iface, detaches the thread and returns the
  // proxy. Failures throw.
  IUnknown* marshal();

protected:
  // OLE for the thread and the process's COM security.
  virtual std::unique_ptr<os::OleInitialiser> enterApartment();

private:
  void run() override;

  HANDLE ready_;
  ComObjectImpl* object_;
  IUnknown* interface_;
  IID iid_;
  HRESULT marshalResult_;
  IStream* marshalStream_;
  // Why the apartment could not start, when it could not.
  std::unique_ptr<plat::SystemException> startFailure_;
};

} // namespace com
