#include "io/win/FdManager.h"
#include "io/IoHandler.h"
#include "io/Parameters.h"
#include "io/win/FdIo.h"
#include "io/win/FdListener.h"
#include "plat/Assert.h"
#include "plat/CallCounter.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"

#include <algorithm>
#include <climits>

namespace io {

static plat::LogWriter vlog("FdManager");
// The select manager logs through the fd manager's writer; its own is kept
// for the Log settings that name it, which would otherwise stop there.
static plat::LogWriter selectManagerLog("FdSelectMgr");
static plat::CallCounter polls("socket.poll");

static thread_local FdManager* current;

// LazyFlushTimeout is in seconds; its range reaches 49 days, more than an
// int of milliseconds holds.
static int lazyFlushMs() {
  int64_t ms = (int64_t)lazyFlushTimeout * 1000;
  return (int)std::max<int64_t>(0, std::min<int64_t>(INT_MAX, ms));
}

FdManager::FdManager(FdSelector* selector)
    : selector_(selector), dispatchTimer_(this), previous_(current) {
  current = this;
}

FdManager::~FdManager() {
  teardown();
  if (current == this)
    current = previous_;
}

FdManager* FdManager::threadInstance() { return current; }

void FdManager::checkThread(int line) const {
  if (current != this)
    plat::assertionFailed("threadInstance() == this", "FdManager", line);
}

template <typename T> void FdManager::addOnce(std::vector<T*>& list, T* item) {
  if (std::find(list.begin(), list.end(), item) == list.end())
    list.push_back(item);
}

template <typename T> void FdManager::removeAll(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

void FdManager::markReadable(FdIo* io) { addOnce(readable_, io); }
void FdManager::markWritable(FdIo* io) { addOnce(writable_, io); }
void FdManager::markAcceptable(FdListener* listener) { addOnce(acceptable_, listener); }
void FdManager::markAddressChanged(FdListener* listener) { addOnce(addressChanged_, listener); }

void FdManager::markFailed(FdIo* io, const char* failure) {
  vlog.error("%s (fd=%d): %s", io->name(), (int)io->fd(), failure);
  addOnce(closing_, io);
}

void FdManager::teardown() {
  while (!ios_.empty())
    cleanup(ios_.begin()->first);
  while (!listeners_.empty())
    removeListener(listeners_.begin()->first);
}

void FdManager::select(FdIo* io, IoRecord& record, bool wantRead, bool wantWrite) {
  record.readSelected = wantRead;
  record.writeSelected = wantWrite;
  if (selector_)
    selector_->selectIo(io, wantRead, wantWrite);
}

void FdManager::poll(FdIo* io, IoRecord& record, bool checkWrite) {
  bool checkRead = record.readSelected;
  if (checkRead && io->inStream().avail() > 0) {
    markReadable(io);
    checkRead = false;
  }
  checkWrite = checkWrite && record.writeSelected;
  if (!checkRead && !checkWrite)
    return;
  fd_set readSet, writeSet;
  FD_ZERO(&readSet);
  FD_ZERO(&writeSet);
  if (checkRead)
    FD_SET(io->fd(), &readSet);
  if (checkWrite)
    FD_SET(io->fd(), &writeSet);
  timeval noWait = {0, 0};
  polls.add();
  int n = ::select(0, &readSet, &writeSet, nullptr, &noWait);
  if (n < 0) {
    vlog.error("select %p (fd=%d): %d", io, (int)io->fd(), WSAGetLastError());
    return;
  }
  if (checkRead && FD_ISSET(io->fd(), &readSet))
    markReadable(io);
  if (checkWrite && FD_ISSET(io->fd(), &writeSet))
    markWritable(io);
}

void FdManager::setHandler(FdIo* io, IoHandler* handler, bool wantRead) {
  checkThread(__LINE__);
  io->inStream().setNoWait(true);
  io->outStream().setNoWait(true);
  auto i = ios_.find(io);
  if (i == ios_.end()) {
    vlog.debug("add %p (fd=%d) handler %p", io, (int)io->fd(), handler);
    i = ios_.emplace(io, std::unique_ptr<IoRecord>(new IoRecord(this))).first;
    io->setManager(this);
  } else {
    vlog.debug("set %p (fd=%d) handler %p", io, (int)io->fd(), handler);
  }
  IoRecord& record = *i->second;
  record.handler = handler;
  u_long nonBlocking = 1;
  if (ioctlsocket(io->fd(), FIONBIO, &nonBlocking) != 0)
    throw plat::SystemException("setBlocking", WSAGetLastError());
  if (wantRead != record.readSelected || !record.writeSelected)
    select(io, record, wantRead, true);
  poll(io, record, true);
}

void FdManager::remove(FdIo* io) {
  checkThread(__LINE__);
  auto i = ios_.find(io);
  if (i == ios_.end())
    return;
  vlog.debug("remove %p (fd=%d)", io, (int)io->fd());
  io->inStream().setNoWait(false);
  io->outStream().setNoWait(false);
  removeAll(readable_, io);
  removeAll(writable_, io);
  removeAll(closing_, io);
  IoRecord& record = *i->second;
  if (record.readSelected || record.writeSelected) {
    // Forgetting an io must always succeed; a socket that refuses the new
    // mask is going away anyway.
    try {
      select(io, record, false, false);
    } catch (plat::Exception& e) {
      vlog.error("%s", e.str());
    }
  }
  ios_.erase(i);
  io->setManager(nullptr);
}

void FdManager::shutdown(FdIo* io, bool flush, bool tellHandler) {
  checkThread(__LINE__);
  auto i = ios_.find(io);
  if (i == ios_.end())
    return;
  vlog.debug("shutdown %p (fd=%d), flush %d (tellHandler %d)", io, (int)io->fd(), flush,
             tellHandler);
  IoRecord& record = *i->second;
  record.shuttingDown = true;
  if (!tellHandler)
    record.handler = nullptr;
  if (record.readSelected)
    select(io, record, false, record.writeSelected);
  if (flush)
    markWritable(io);
  else
    addOnce(closing_, io);
}

void FdManager::selectListener(FdListener* listener) {
  if (!selector_)
    return;
  const ListenerRecord& record = listeners_[listener];
  selector_->selectListener(listener, true, record.addressCallback != nullptr);
}

void FdManager::addListener(FdListener* listener, IoAcceptor* acceptor) {
  checkThread(__LINE__);
  listeners_[listener].acceptor = acceptor;
  u_long nonBlocking = 1;
  if (ioctlsocket(listener->fd(), FIONBIO, &nonBlocking) != 0)
    throw plat::SystemException("setBlocking", WSAGetLastError());
  selectListener(listener);
  // A connection may already be waiting.
  markAcceptable(listener);
}

void FdManager::removeListener(FdListener* listener) {
  checkThread(__LINE__);
  removeAll(acceptable_, listener);
  removeAll(addressChanged_, listener);
  if (listeners_.erase(listener) == 0)
    return;
  if (selector_) {
    try {
      selector_->selectListener(listener, false, false);
    } catch (plat::Exception& e) {
      vlog.error("%s", e.str());
    }
  }
}

void FdManager::watchAddressChanges(FdListener* listener, FdAddressChanged* callback) {
  checkThread(__LINE__);
  auto i = listeners_.find(listener);
  if (i == listeners_.end())
    plat::assertionFailed("i != listeners.end()", "FdManager", __LINE__);
  i->second.addressCallback = callback;
  selectListener(listener);
}

void FdManager::cleanup(FdIo* io) {
  vlog.debug("cleanup %p (fd=%d)", io, (int)io->fd());
  auto i = ios_.find(io);
  IoHandler* handler = i != ios_.end() ? i->second->handler : nullptr;
  if (handler) {
    try {
      handler->closed(io);
    } catch (...) {
      vlog.error("%s", plat::caughtText());
    }
  }
  // The handler may have shut the io down again; remove() takes it off
  // every list, so it is deleted exactly once.
  remove(io);
  delete io;
}

void FdManager::dispatchSoon() {
  if (plat::TimerManager::threadInstanceOrNull())
    dispatchTimer_.start(0);
  else
    dispatch();
}

void FdManager::waitForRoom(FdIo* io, IoRecord& record) {
  if (!record.writeSelected)
    select(io, record, record.readSelected, true);
  if (!record.flushTimer.isStarted() && plat::TimerManager::threadInstanceOrNull()) {
    record.stallSent = io->outStream().sentLength();
    record.flushTimer.start(lazyFlushMs());
  }
}

bool FdManager::checkStall(FdIo* io, IoRecord& record) {
  rdr::FdOutStream& out = io->outStream();
  if (!out.hasPending())
    return false;
  // Progress is what the socket took: while sends held back drain, a
  // partial send leaves the room of the buffer as it was.
  if (out.sentLength() != record.stallSent) {
    record.stallSent = out.sentLength();
    return true;
  }
  vlog.info("%s: no output progress for %d s, closing", io->name(), (int)lazyFlushTimeout);
  shutdown(io, false, true);
  dispatchSoon();
  return false;
}

void FdManager::markOutput() {
  for (auto& entry : ios_) {
    rdr::FdOutStream& out = entry.first->outStream();
    bool used = out.wasUsed();
    out.clearUsed();
    try {
      // Trying again now would only fail again.
      if (out.hasPending() && out.isBlocked())
        waitForRoom(entry.first, *entry.second);
      else if (used || out.hasPending())
        markWritable(entry.first);
    } catch (...) {
      markFailed(entry.first, plat::caughtText());
    }
  }
}

// Pushes pending output without waiting, and lets the handler write more.
void FdManager::flushStep(FdIo* io, IoRecord& record) {
  rdr::FdOutStream& out = io->outStream();
  // Less than a whole send waiting: the handler adds to it first, and it
  // all leaves together (a handler is told writable while its output has
  // room, not only once the output is empty).
  if (out.hasPending() && !out.wholeSendPending() && !out.isBlocked() && !record.shuttingDown &&
      record.handler) {
    record.handler->writable(io);
    // The handler may have let the io go.
    auto i = ios_.find(io);
    if (i != ios_.end())
      pushOut(io, *i->second, false);
    return;
  }
  pushOut(io, record, true);
}

void FdManager::pushOut(FdIo* io, IoRecord& record, bool tellHandler) {
  rdr::FdOutStream& out = io->outStream();
  if (out.hasPending() && !out.flushSome(false)) {
    waitForRoom(io, record);
    return;
  }
  if (record.shuttingDown) {
    addOnce(closing_, io);
    return;
  }
  if (record.writeSelected) {
    select(io, record, record.readSelected, false);
    // The new mask forgets network events recorded under the old one; a
    // peer's close in between would otherwise go unnoticed for good.
    poll(io, record, false);
  }
  if (tellHandler && record.handler)
    record.handler->writable(io);
}

void FdManager::dispatch() {
  checkThread(__LINE__);

  while (!acceptable_.empty()) {
    FdListener* listener = acceptable_.back();
    acceptable_.pop_back();
    auto i = listeners_.find(listener);
    if (i == listeners_.end())
      plat::assertionFailed("i != listeners.end()", "FdManager", __LINE__);
    try {
      FdIo* io = listener->accept();
      if (!io)
        continue;
      // An accepted socket inherits the listener's event selection.
      if (selector_)
        selector_->selectIo(io, false, false);
      i->second.acceptor->accept(listener, io);
    } catch (...) {
      vlog.error("%s", plat::caughtText());
    }
  }

  while (!addressChanged_.empty()) {
    FdListener* listener = addressChanged_.back();
    addressChanged_.pop_back();
    auto i = listeners_.find(listener);
    if (i == listeners_.end())
      plat::assertionFailed("i != listeners.end()", "FdManager", __LINE__);
    if (i->second.addressCallback) {
      try {
        i->second.addressCallback->addressChanged(listener);
      } catch (...) {
        vlog.error("%s", plat::caughtText());
      }
    }
  }

  while (!readable_.empty()) {
    FdIo* io = readable_.back();
    readable_.pop_back();
    auto i = ios_.find(io);
    if (i == ios_.end())
      plat::assertionFailed("i != ios.end()", "FdManager", __LINE__);
    IoRecord& record = *i->second;
    if (!record.handler || !record.readSelected)
      continue;
    try {
      record.handler->readable(io);
    } catch (...) {
      vlog.error("%s", plat::caughtText());
      if (isRegistered(io))
        addOnce(closing_, io);
    }
  }

  // What the handlers above sent lets them write more now: a thread kept
  // busy by events may not come to block for a long time.
  markOutput();
  while (!writable_.empty()) {
    FdIo* io = writable_.back();
    writable_.pop_back();
    auto i = ios_.find(io);
    if (i == ios_.end())
      plat::assertionFailed("i != ios.end()", "FdManager", __LINE__);
    try {
      flushStep(io, *i->second);
    } catch (...) {
      vlog.error("%s", plat::caughtText());
      if (isRegistered(io))
        addOnce(closing_, io);
    }
  }

  while (!closing_.empty()) {
    FdIo* io = closing_.back();
    closing_.pop_back();
    cleanup(io);
  }
}

bool FdManager::handleTimeout(plat::Timer* timer) {
  if (timer == &dispatchTimer_) {
    dispatch();
    return false;
  }
  for (auto& entry : ios_) {
    if (&entry.second->flushTimer == timer)
      return checkStall(entry.first, *entry.second);
  }
  return false;
}

} // namespace io
