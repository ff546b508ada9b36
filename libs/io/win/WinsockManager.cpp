#include "io/win/WinsockManager.h"
#include "io/win/FdIo.h"
#include "io/win/FdListener.h"
#include "io/win/WinsockInit.h"
#include "plat/Assert.h"
#include "plat/CallCounter.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"

#include <mswsock.h>

namespace io {

static plat::LogWriter vlog("WinsockManager");
static plat::CallCounter eventSelects("socket.select");
static plat::CallCounter eventQueries("socket.events");

WinsockManager::WinsockManager() : eventManager_(plat::EventManager::instance()) {
  initWinsock();
  selectEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!selectEvent_)
    throw plat::SystemException("CreateEvent", (int)GetLastError());
  if (!eventManager_->addEvent(selectEvent_, this, "SocketEvent")) {
    CloseHandle(selectEvent_);
    throw plat::Exception("too many events: cannot watch sockets");
  }
  eventManager_->addBlockHandler(this);
  setSelector(this);
}

WinsockManager::~WinsockManager() {
  // The ios and listeners go while this selector can still deselect them.
  teardown();
  setSelector(nullptr);
  eventManager_->removeBlockHandler(this);
  eventManager_->removeEvent(selectEvent_);
  CloseHandle(selectEvent_);
}

void WinsockManager::selectIo(FdIo* io, bool wantRead, bool wantWrite) {
  long mask = 0;
  if (wantRead)
    mask |= FD_READ | FD_CLOSE;
  if (wantWrite)
    mask |= FD_WRITE | FD_CONNECT;
  eventSelects.add();
  if (WSAEventSelect(io->fd(), selectEvent_, mask) != 0)
    throw plat::SystemException("WSAEventSelect(Io)", WSAGetLastError());
}

void WinsockManager::watchAddressList(FdListener* listener) {
  DWORD bytes = 0;
  if (WSAIoctl(listener->fd(), SIO_ADDRESS_LIST_CHANGE, nullptr, 0, nullptr, 0, &bytes, nullptr,
               nullptr) != 0) {
    int err = WSAGetLastError();
    if (err != WSAEWOULDBLOCK)
      throw plat::SystemException("WSAIoctl(address)", err);
  }
}

void WinsockManager::selectListener(FdListener* listener, bool wantAccept,
                                    bool wantAddressChanges) {
  long mask = wantAccept ? FD_ACCEPT : 0;
  if (wantAddressChanges) {
    watchAddressList(listener);
    mask |= FD_ADDRESS_LIST_CHANGE;
  }
  if (WSAEventSelect(listener->fd(), selectEvent_, mask) != 0)
    throw plat::SystemException("WSAEventSelect(Listener)", WSAGetLastError());
}

void WinsockManager::beforeBlock(int* timeoutMs) {
  markOutput();
  if (hasWork())
    dispatchSoon();
  if (plat::TimerManager* timers = plat::TimerManager::threadInstanceOrNull()) {
    int next = timers->timeUntilNext();
    if (next >= 0 && (*timeoutMs < 0 || next < *timeoutMs))
      *timeoutMs = next;
  }
}

void WinsockManager::processEvent(HANDLE event) {
  if (event != selectEvent_)
    plat::assertionFailed("event_ == selectEvent", "win\\WinsockManager", __LINE__);
  // The first socket's query resets the event too, one call fewer for each
  // signal: what any socket reports after it sets the event again.
  HANDLE reset = selectEvent_;

  // A socket that cannot be asked fails alone: a connection is closed, a
  // listener stops reporting (the thread's loop must go on for the rest).
  for (auto& entry : listeners_) {
    FdListener* listener = entry.first;
    WSANETWORKEVENTS events;
    if (WSAEnumNetworkEvents(listener->fd(), reset, &events) != 0) {
      plat::SystemException e("WSAEnumNetworkEvents", WSAGetLastError());
      vlog.error("listener (fd=%d): %s", (int)listener->fd(), e.str());
      continue;
    }
    reset = nullptr;
    if (events.lNetworkEvents & FD_ACCEPT)
      markAcceptable(listener);
    if (events.lNetworkEvents & FD_ADDRESS_LIST_CHANGE) {
      markAddressChanged(listener);
      try {
        watchAddressList(listener);
      } catch (plat::Exception& e) {
        vlog.error("%s", e.str());
      }
    }
  }
  for (auto& entry : ios_) {
    FdIo* io = entry.first;
    WSANETWORKEVENTS events;
    eventQueries.add();
    if (WSAEnumNetworkEvents(io->fd(), reset, &events) != 0) {
      markFailed(io, plat::SystemException("WSAEnumNetworkEvents", WSAGetLastError()).str());
      continue;
    }
    reset = nullptr;
    if (events.lNetworkEvents & (FD_READ | FD_CLOSE))
      markReadable(io);
    if (events.lNetworkEvents & FD_CLOSE)
      io->inStream().peerClosed();
    if (events.lNetworkEvents & (FD_WRITE | FD_CONNECT))
      markWritable(io);
    // The reason of a failed connect, in case the socket forgets it.
    if ((events.lNetworkEvents & FD_CONNECT) && events.iErrorCode[FD_CONNECT_BIT])
      io->setSocketError(events.iErrorCode[FD_CONNECT_BIT]);
  }
  if (reset)
    ResetEvent(selectEvent_);
  dispatch();
}

} // namespace io
