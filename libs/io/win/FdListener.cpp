#include "io/win/FdListener.h"
#include "io/win/FdManager.h"
#include "io/win/TcpIo.h"
#include "io/win/WinsockInit.h"
#include "plat/Assert.h"

#include <ws2tcpip.h>

namespace io {

FdListener::FdListener(SOCKET fd) : fd_(INVALID_SOCKET), manager_(nullptr) { setSocket(fd); }

FdListener::FdListener() : fd_(INVALID_SOCKET), manager_(nullptr) {}

FdListener::~FdListener() {
  if (manager_)
    manager_->removeListener(this);
  if (fd_ != INVALID_SOCKET)
    closesocket(fd_);
}

void FdListener::setSocket(SOCKET fd) {
  if (!SetHandleInformation((HANDLE)fd, HANDLE_FLAG_INHERIT, 0))
    throw plat::SystemException("setInheritable", (int)GetLastError());
  fd_ = fd;
}

FdIo* FdListener::accept() {
  SOCKET s = ::accept(fd_, nullptr, nullptr);
  if (s == INVALID_SOCKET) {
    int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK)
      return nullptr;
    throw plat::SystemException("accept", err);
  }
  return newIo(s);
}

FdIo* FdListener::newIo(SOCKET fd) { return new FdIo(fd, true); }

void FdListener::setAcceptor(IoAcceptor* acceptor) {
  FdManager* fdMgr = manager_ ? manager_ : FdManager::threadInstance();
  if (!fdMgr)
    plat::assertionFailed("fdMgr", "FdListener", __LINE__);
  if (acceptor) {
    fdMgr->addListener(this, acceptor);
    manager_ = fdMgr;
  } else {
    fdMgr->removeListener(this);
    manager_ = nullptr;
  }
}

void FdListener::watchAddressChanges(FdAddressChanged* callback) {
  if (!manager_)
    plat::assertionFailed("fdMgr", "FdListener", __LINE__);
  manager_->watchAddressChanges(this, callback);
}

TcpListener::TcpListener(int port, bool loopbackOnly) : port_(0) {
  initWinsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET)
    throw plat::SystemException("socket", WSAGetLastError());
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons((u_short)port);
  address.sin_addr.s_addr = htonl(loopbackOnly ? INADDR_LOOPBACK : INADDR_ANY);
  int size = sizeof(address);
  const char* step = nullptr;
  if (bind(s, (sockaddr*)&address, sizeof(address)) != 0)
    step = "bind";
  else if (listen(s, SOMAXCONN) != 0)
    step = "listen";
  else if (getsockname(s, (sockaddr*)&address, &size) != 0)
    step = "getsockname";
  if (step) {
    int err = WSAGetLastError();
    closesocket(s);
    throw plat::SystemException(step, err);
  }
  port_ = ntohs(address.sin_port);
  try {
    setSocket(s);
  } catch (plat::Exception&) {
    closesocket(s);
    throw;
  }
}

FdIo* TcpListener::newIo(SOCKET fd) { return new TcpIo(fd, true); }

} // namespace io
