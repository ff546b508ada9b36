#include "net/FdSocket.h"
#include "io/Io.h"
#include "io/IoConnector.h"

namespace net {

FdSocket::FdSocket(io::Io* io, io::IoTarget* target) : Socket(io, target) {}

FdSocket::~FdSocket() {
  if (connector_) {
    connector_->cancel(false);
    connector_ = nullptr;
  }
  delete ioTarget_;
}

// While the connect is in progress there is no io yet: cancelling is all
// there is to do.
void FdSocket::shutdownIo(bool flush) {
  if (connector_) {
    connector_->cancel(true);
    connector_ = nullptr;
  }
  if (!io_)
    return;
  io::Io* io = io_;
  // An io of no fd manager goes at once; a registered one stays until its
  // handler has heard closed.
  if (!io->isRegistered())
    io_ = nullptr;
  io->shutdown(flush, true);
}

void FdSocket::shutdown() { shutdownIo(true); }
void FdSocket::shutdownNoFlush() { shutdownIo(false); }

} // namespace net
