// The socket input and output of one thread. The fd manager knows every
// registered io and listener and turns readiness into handler calls; it
// pushes output out in the background, shuts connections down and deletes
// ios after telling their handlers. Waiting for the sockets is a selector's
// job (WinsockManager); the selector fills the work lists and calls
// dispatch().
#pragma once

#include "plat/Timer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace io {

class FdIo;
class FdListener;
class IoHandler;
class IoAcceptor;
class FdAddressChanged;

class FdSelector {
public:
  virtual ~FdSelector() {}
  virtual void selectIo(FdIo* io, bool wantRead, bool wantWrite) = 0;
  virtual void selectListener(FdListener* listener, bool wantAccept, bool wantAddressChanges) = 0;
};

class FdManager : public plat::Timer::Callback {
public:
  // Becomes the thread's fd manager.
  explicit FdManager(FdSelector* selector);
  FdManager(const FdManager&) = delete;
  FdManager& operator=(const FdManager&) = delete;
  // Cleans up every io (handlers hear closed) and forgets every listener.
  ~FdManager() override;

  static FdManager* threadInstance();

  // Registers the io, or changes its handler.
  void setHandler(FdIo* io, IoHandler* handler, bool wantRead);
  // Forgets the io without deleting it; its streams block again.
  void remove(FdIo* io);
  // With flush the io is cleaned up once its output is out; without, at the
  // next dispatch. Unknown ios are ignored.
  void shutdown(FdIo* io, bool flush, bool tellHandler);
  void addListener(FdListener* listener, IoAcceptor* acceptor);
  void removeListener(FdListener* listener);
  void watchAddressChanges(FdListener* listener, FdAddressChanged* callback);

  // Runs the work lists.
  void dispatch();
  bool handleTimeout(plat::Timer* timer) override;

  bool isRegistered(FdIo* io) const { return ios_.count(io) != 0; }

protected:
  struct IoRecord {
    explicit IoRecord(plat::Timer::Callback* cb) : flushTimer(cb) {}
    IoHandler* handler = nullptr;
    bool readSelected = false;
    bool writeSelected = false;
    bool shuttingDown = false;
    // Runs while output waits for room; see checkStall.
    plat::Timer flushTimer;
    // What the output had sent when the flush timer last looked.
    int64_t stallSent = 0;
  };
  struct ListenerRecord {
    IoAcceptor* acceptor = nullptr;
    FdAddressChanged* addressCallback = nullptr;
  };

  // For the selector: what happened since the last dispatch. Each io and
  // listener is on a list at most once.
  void setSelector(FdSelector* selector) { selector_ = selector; }
  // Cleans up every io and forgets every listener (the destructor's work,
  // for a selector that must go first).
  void teardown();
  void markReadable(FdIo* io);
  void markWritable(FdIo* io);
  void markAcceptable(FdListener* listener);
  void markAddressChanged(FdListener* listener);
  // The io's socket failed (the failure is logged): it is cleaned up at the
  // next dispatch, its handler told closed.
  void markFailed(FdIo* io, const char* failure);
  bool hasWork() const { return !readable_.empty() || !writable_.empty() || !closing_.empty(); }
  // Puts on the writable list every io with output still buffered (to go
  // out) or sent since the last time (its handler may write more); output
  // the socket refused waits for write readiness instead. An io whose
  // socket fails meanwhile is closed.
  void markOutput();
  // Dispatch soon, from the thread's timers (at once when it has none).
  void dispatchSoon();

  std::map<FdIo*, std::unique_ptr<IoRecord>> ios_;
  std::map<FdListener*, ListenerRecord> listeners_;

private:
  template <typename T> static void addOnce(std::vector<T*>& list, T* item);
  template <typename T> static void removeAll(std::vector<T*>& list, T* item);
  void checkThread(int line) const;
  void select(FdIo* io, IoRecord& record, bool wantRead, bool wantWrite);
  // Looks at the socket without waiting: readable when read is selected,
  // writable when checkWrite and write is selected.
  void poll(FdIo* io, IoRecord& record, bool checkWrite);
  void selectListener(FdListener* listener);
  void cleanup(FdIo* io);
  void flushStep(FdIo* io, IoRecord& record);
  // Pushes out pending output; once none is left, stops watching write
  // readiness and, with tellHandler, tells the handler writable.
  void pushOut(FdIo* io, IoRecord& record, bool tellHandler);
  // Output the socket does not take now waits for write readiness, and the
  // flush timer watches it.
  void waitForRoom(FdIo* io, IoRecord& record);
  // The flush timer's expiry. Whoever drained the output meanwhile (a
  // handler may flush on its own, outside the manager): once it is gone the
  // timer stops; while it moves the timer watches another interval; output
  // still pending that made no progress over a whole interval
  // (LazyFlushTimeout) ends the connection. True: watch again.
  bool checkStall(FdIo* io, IoRecord& record);

  std::vector<FdIo*> readable_;
  std::vector<FdIo*> writable_;
  std::vector<FdIo*> closing_;
  std::vector<FdListener*> acceptable_;
  std::vector<FdListener*> addressChanged_;
  FdSelector* selector_;
  plat::Timer dispatchTimer_;
  FdManager* previous_;
};

// An fd manager whose selector may be set later, or never (then the owner
// dispatches).
class FdSelectManager : public FdManager {
public:
  explicit FdSelectManager(FdSelector* selector = nullptr) : FdManager(selector) {}
};

} // namespace io
