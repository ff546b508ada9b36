// The process's multithreaded apartment, kept by a thread of its own while
// the object lives. Calls from other processes into an object that lives
// there are served on COM's own threads, so they never wait for a message
// loop, and one call that blocks holds up no other.
//
//   com::MtaThread mta;                      // once, on the main thread
//   com::MtaThread::call([&] { return CoMarshalInterface(...); });
#pragma once

#include "plat/Mutex.h"
#include "plat/win/Handle.h"
#include "plat/win/Thread.h"

#include <objbase.h>

#include <deque>
#include <functional>

namespace com {

class MtaThread : public plat::Thread {
public:
  // Starts the thread and waits until it is in the apartment; a refusal of
  // COM throws plat::SystemException. One per process at a time.
  MtaThread();
  // Ends the thread and with it the apartment: COM disconnects what other
  // processes still hold of the objects in it, which releases them.
  ~MtaThread() override;

  static bool exists();
  // Runs the job inside the apartment and returns its result: at once when
  // the calling thread is in it already, else on the thread, waiting for
  // it. CO_E_NOTINITIALIZED, and the job not run, when there is no
  // MtaThread.
  static HRESULT call(const std::function<HRESULT()>& job);

private:
  struct Job;
  void run() override;

  plat::Handle ready_;
  plat::Handle work_;
  HRESULT started_;
  // Guarded by the process-wide lock of the instance.
  std::deque<Job*> jobs_;
  bool stopping_;
};

} // namespace com
