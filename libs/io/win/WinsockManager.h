// The fd manager of a thread with a message loop: Winsock signals one event
// object on any network event of any registered socket, the thread's event
// manager wakes for it, and each signal is turned into work for the fd
// manager. Before the thread sleeps, output written since the last time is
// pushed out.
#pragma once

#include "io/win/FdManager.h"
#include "plat/win/EventManager.h"

namespace io {

class WinsockManager : public FdSelectManager,
                       public FdSelector,
                       public plat::BlockHandler,
                       public plat::EventHandler {
public:
  // Needs the thread's EventManager ("no EventManager").
  WinsockManager();
  ~WinsockManager() override;

  void selectIo(FdIo* io, bool wantRead, bool wantWrite) override;
  void selectListener(FdListener* listener, bool wantAccept, bool wantAddressChanges) override;
  void beforeBlock(int* timeoutMs) override;
  void processEvent(HANDLE event) override;

private:
  void watchAddressList(FdListener* listener);

  plat::EventManager* eventManager_;
  HANDLE selectEvent_;
};

} // namespace io
