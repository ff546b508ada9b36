#include "io/win/FdIo.h"
#include "io/win/FdManager.h"
#include "io/win/WinsockInit.h"
#include "plat/Assert.h"
#include "plat/LogWriter.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"

#include <cstdio>

namespace io {

static plat::LogWriter vlog("FdIo");

FdIo::FdIo(SOCKET fd, bool closeOnDelete, int inBufferSize, int outBufferSize)
    : closeOnDelete_(false), fd_(INVALID_SOCKET), socketError_(0), manager_(nullptr) {
  try {
    initWinsock();
    setUp(fd, closeOnDelete, inBufferSize, outBufferSize);
  } catch (plat::Exception&) {
    // The socket was handed over: it must not leak with the half-made io.
    deleteStreams();
    if (closeOnDelete)
      closesocket(fd);
    throw;
  }
  vlog.debug("FdIo ctor %p", this);
}

FdIo::~FdIo() {
  vlog.debug("FdIo dtor %p", this);
  if (manager_)
    manager_->remove(this);
  deleteStreams();
  if (closeOnDelete_ && fd_ != INVALID_SOCKET)
    closesocket(fd_);
}

void FdIo::setUp(SOCKET fd, bool closeOnDelete, int inBufferSize, int outBufferSize) {
  if (!SetHandleInformation((HANDLE)fd, HANDLE_FLAG_INHERIT, 0))
    throw plat::SystemException("setInheritable", (int)GetLastError());
  u_long nonBlocking = 1;
  if (ioctlsocket(fd, FIONBIO, &nonBlocking) != 0)
    throw plat::SystemException("setBlocking", WSAGetLastError());
  in_ = new rdr::FdInStream(fd, -1, inBufferSize, false, false);
  out_ = new rdr::FdOutStream(fd, -1, outBufferSize, false);
  fd_ = fd;
  closeOnDelete_ = closeOnDelete;
}

// Whatever cannot go out at once is dropped: a peer that stopped reading
// must not hold the thread here. A deliberate flush happens before (see
// shutdown), under the streams' time-out.
void FdIo::deleteStreams() {
  if (out_)
    out_->setNoWait(true);
  delete out_;
  out_ = nullptr;
  delete in_;
  in_ = nullptr;
}

void FdIo::setHandler(IoHandler* handler, bool wantRead) {
  if (handler) {
    FdManager* fdMgr = manager_ ? manager_ : FdManager::threadInstance();
    if (!fdMgr)
      plat::assertionFailed("fdMgr", "FdIo", __LINE__);
    fdMgr->setHandler(this, handler, wantRead);
  } else if (manager_) {
    manager_->remove(this);
  }
}

void FdIo::shutdown(bool flush, bool tellHandler) {
  if (manager_) {
    manager_->shutdown(this, flush, tellHandler);
    return;
  }
  if (flush) {
    try {
      out_->flush();
    } catch (plat::Exception&) {
    }
  }
  delete this;
}

void FdIo::setTimeout(int ms) {
  in_->setTimeout(ms);
  out_->setTimeout(ms);
}

const char* FdIo::name() {
  if (nameText_.isNull()) {
    char text[32];
    snprintf(text, sizeof(text), "%d", (int)fd_);
    nameText_ = text;
  }
  return nameText_.c_str();
}

int FdIo::socketError() {
  if (socketError_)
    return socketError_;
  int error = 0;
  int size = sizeof(error);
  if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, (char*)&error, &size) != 0)
    throw plat::SystemException("getsockopt", WSAGetLastError());
  socketError_ = error;
  return error;
}

} // namespace io
