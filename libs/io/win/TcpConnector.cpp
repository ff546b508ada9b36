#include "io/win/TcpConnector.h"
#include "io/win/TcpIo.h"
#include "io/win/TcpTarget.h"
#include "io/win/WinsockInit.h"
#include "plat/Assert.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"

#include <cstdio>
#include <cstring>

namespace io {

static plat::LogWriter vlog("TcpConnect");

plat::LogWriter& TcpConnector::log() { return vlog; }

TcpConnector::TcpConnector(IoConnected* callback, const char* host, int port, int flags)
    : callback_(callback), host_(host), port_(port), flags_(flags), startTimer_(this),
      finishTimer_(this) {
  if (callback_)
    startTimer_.start(0);
}

TcpConnector::~TcpConnector() {
  if (!pending_.empty())
    plat::assertionFailed("ios.empty()", "TcpConnector", __LINE__);
}

void TcpConnector::rethrow() {
  if (savedResolveError_)
    throw *savedResolveError_;
  if (savedSystemError_)
    throw *savedSystemError_;
}

void TcpConnector::resolve() {
  char service[16];
  snprintf(service, sizeof(service), "%d", port_);
  // Stream sockets only: with no type at all the system lists every
  // address once per socket type, and each would be tried in turn.
  addrinfo hints = {};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* results = nullptr;
  int rc = getaddrinfo(host_.c_str(), service, &hints, &results);
  if (rc != 0)
    throw GetAddrInfoException("getaddrinfo", rc);
  for (addrinfo* r = results; r; r = r->ai_next)
    addAddress(r->ai_addr, (int)r->ai_addrlen);
  freeaddrinfo(results);
}

void TcpConnector::addAddress(const sockaddr* address, int length) {
  Address a = {};
  if (length <= 0 || length > (int)sizeof(a.address))
    return;
  memcpy(&a.address, address, length);
  a.length = length;
  addresses_.push_back(a);
}

TcpIo* TcpConnector::attempt(bool nonBlocking) {
  initWinsock();
  if (addresses_.empty())
    resolve();
  if (addresses_.empty())
    plat::assertionFailed("!addresses.empty()", "TcpConnector", __LINE__);
  for (;;) {
    Address a = addresses_.front();
    addresses_.pop_front();
    try {
      int family = a.address.ss_family;
      if (family == AF_INET)
        vlog.debug("  trying IPv4");
      else if (family == AF_INET6)
        vlog.debug("  trying IPv6");
      else
        vlog.debug("  trying family %d", family);
      SOCKET s = socket(family, SOCK_STREAM, 0);
      if (s == INVALID_SOCKET)
        throw plat::SystemException("socket", WSAGetLastError());
      if (nonBlocking) {
        u_long on = 1;
        if (ioctlsocket(s, FIONBIO, &on) != 0) {
          int err = WSAGetLastError();
          closesocket(s);
          throw plat::SystemException("setBlocking", err);
        }
      }
      int rc;
      int err = 0;
      do {
        rc = WSAConnect(s, (sockaddr*)&a.address, a.length, nullptr, nullptr, nullptr, nullptr);
        err = rc != 0 ? WSAGetLastError() : 0;
      } while (err == WSAEINTR);
      if (err != 0 && err != WSAEWOULDBLOCK) {
        closesocket(s);
        throw plat::SystemException("connect", err);
      }
      TcpIo* io = new TcpIo(s, true);
      io->setTarget(new TcpTarget(host_.c_str(), port_, flags_));
      io->setHostText(host_.c_str());
      return io;
    } catch (plat::Exception& e) {
      vlog.debug("  %s", e.str());
      if (addresses_.empty())
        throw;
    }
  }
}

bool TcpConnector::startAttempt() {
  try {
    TcpIo* io = attempt(true);
    // Only write readiness (the connect's end) is of interest.
    try {
      io->setHandler(this, false);
    } catch (plat::Exception&) {
      delete io;
      throw;
    }
    pending_.insert(io);
    return true;
  } catch (GetAddrInfoException& e) {
    savedResolveError_.reset(new GetAddrInfoException(e));
  } catch (plat::SystemException& e) {
    savedSystemError_.reset(new plat::SystemException(e));
  }
  return false;
}

void TcpConnector::fail() {
  IoConnected* callback = callback_;
  callback_ = nullptr;
  if (callback)
    callback->connectFailed(this);
  delete this;
}

void TcpConnector::writable(Io* io) {
  TcpIo* tcpIo = io->asTcpIo();
  if (!tcpIo)
    plat::assertionFailed("tcpIo != 0", "TcpConnector", __LINE__);
  if (tcpIo->socketError() != 0) {
    // Continues in closed().
    tcpIo->shutdown(false, true);
    return;
  }
  pending_.erase(tcpIo);
  tcpIo->setHandler(nullptr, false);
  if (callback_)
    callback_->connected(this, tcpIo);
  else
    tcpIo->shutdown(false, false);
  delete this;
}

void TcpConnector::closed(Io* io) {
  TcpIo* tcpIo = io->asTcpIo();
  if (!tcpIo)
    plat::assertionFailed("tcpIo != 0", "TcpConnector", __LINE__);
  pending_.erase(tcpIo);
  if (!addresses_.empty()) {
    // The remaining addresses may all fail at once: that must still reach
    // the callback, not vanish in the fd manager.
    if (!startAttempt())
      fail();
    return;
  }
  int error = 0;
  try {
    error = tcpIo->socketError();
  } catch (plat::SystemException& e) {
    error = e.err;
  }
  savedSystemError_.reset(new plat::SystemException("connect", error));
  fail();
}

void TcpConnector::cancel(bool keepCallback) {
  if (!keepCallback)
    callback_ = nullptr;
  startTimer_.stop();
  std::set<TcpIo*> ios;
  ios.swap(pending_);
  for (TcpIo* io : ios)
    io->shutdown(false, false);
  if (callback_ && plat::TimerManager::threadInstanceOrNull()) {
    finishTimer_.start(0);
    return;
  }
  // Nothing left to tell, or the thread's timers are gone already (its
  // teardown): finish now rather than need them.
  if (callback_)
    vlog.error("connect to %s:%d cancelled without timers: not reported", host_.c_str(), port_);
  delete this;
}

bool TcpConnector::handleTimeout(plat::Timer* timer) {
  if (timer == &startTimer_) {
    if (!startAttempt())
      fail();
    return false;
  }
  if (timer == &finishTimer_) {
    if (callback_)
      callback_->connectCancelled(this);
    delete this;
    return false;
  }
  plat::assertionFailed("false", "TcpConnector", __LINE__);
}

} // namespace io
