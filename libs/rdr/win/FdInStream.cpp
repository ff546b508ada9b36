#include "rdr/win/FdInStream.h"

#include "plat/CallCounter.h"
#include "plat/Exception.h"
#include "rdr/Exception.h"

namespace rdr {

namespace {

plat::CallCounter receives("recv");
plat::CallCounter receivedBytes("recv.bytes");
plat::CallCounter receivesBlocked("recv.blocked");

} // namespace

FdInStream::FdInStream(SOCKET fd_, int timeout_, int bufferSize, bool closeOnDelete_,
                       bool noWait_)
    : BufferedInStream(bufferSize), fd(fd_), closeOnDelete(closeOnDelete_), noWait(noWait_),
      timeout(timeout_), closed(false) {}

FdInStream::~FdInStream() {
  if (closeOnDelete)
    closesocket(fd);
}

int FdInStream::readRaw(uint8_t* buffer, int length) {
  receives.add();
  int n = recv(fd, (char*)buffer, length, 0);
  if (n > 0)
    receivedBytes.add(n);
  return n;
}

int FdInStream::readData(uint8_t* buffer, int length) {
  for (;;) {
    int n = readRaw(buffer, length);
    if (n > 0)
      return n;
    if (n == 0)
      throw EndOfStream(); // the peer closed
    int err = WSAGetLastError();
    if (err == WSAEINTR)
      continue;
    if (err != WSAEWOULDBLOCK)
      throw plat::SystemException("read/select", err);
    receivesBlocked.add();
    if (noWait)
      return 0;
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(fd, &fds);
    timeval tv;
    tv.tv_sec = timeout / 1000;
    tv.tv_usec = (timeout % 1000) * 1000;
    int ready = select(0, &fds, nullptr, nullptr, timeout < 0 ? nullptr : &tv);
    if (ready == 0)
      throw plat::TimedOut();
    if (ready < 0) {
      err = WSAGetLastError();
      if (err != WSAEINTR)
        throw plat::SystemException("read/select", err);
    }
  }
}

} // namespace rdr
