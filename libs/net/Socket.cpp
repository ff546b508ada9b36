#include "net/Socket.h"
#include "io/Io.h"

namespace net {

Socket::Socket(io::Io* io, io::IoTarget* target)
    : io_(io), ioTarget_(target), connector_(nullptr), connectError_(0) {}

Socket::~Socket() {
  if (io_)
    io_->shutdown(false, false);
}

void Socket::setTimeout(int ms) {
  if (io_)
    io_->setTimeout(ms);
}

} // namespace net
