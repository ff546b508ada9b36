#include "rdr/win/FdOutStream.h"

#include "plat/CallCounter.h"
#include "plat/Exception.h"

#include <climits>
#include <windows.h>

namespace rdr {

namespace {

plat::CallCounter sends("send");
plat::CallCounter sentBytes("send.bytes");
plat::CallCounter sendsBlocked("send.blocked");

// 100-nanosecond ticks; only differences are used.
int64_t ticksNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (int64_t)((uint64_t)now.dwHighDateTime << 32 | now.dwLowDateTime);
}

} // namespace

FdOutStream::FdOutStream(SOCKET fd_, int timeout_, int bufferSize, bool closeOnDelete_)
    : BufferedOutStream(bufferSize), fd(fd_), closeOnDelete(closeOnDelete_), timeout(timeout_),
      used(false), sendChunk(65536) {
  int sndbuf = 0;
  int size = sizeof(sndbuf);
  // A send buffer of 0 or 1 byte would make a chunk of nothing and the
  // writer would loop for ever: keep the default then.
  if (getsockopt(fd, SOL_SOCKET, SO_SNDBUF, (char*)&sndbuf, &size) == 0 && sndbuf / 2 >= 1)
    sendChunk = sndbuf / 2;
}

FdOutStream::~FdOutStream() {
  try {
    flush();
  } catch (plat::Exception&) {
  }
  if (closeOnDelete)
    closesocket(fd);
}

int FdOutStream::sendSize() const {
  return neverWaits() ? INT_MAX : sendChunk;
}

int FdOutStream::writeRaw(const uint8_t* buffer, int length) {
  sends.add();
  int most = sendSize();
  int n = send(fd, (const char*)buffer, length < most ? length : most, 0);
  if (n > 0)
    sentBytes.add(n);
  return n;
}

int FdOutStream::writeData(const uint8_t* buffer, int length, bool wait) {
  used = true;
  int remaining = timeout; // milliseconds left to wait; negative: no limit
  for (;;) {
    int n = writeRaw(buffer, length);
    if (n >= 0)
      return n;
    int err = WSAGetLastError();
    if (err == WSAEINTR)
      continue;
    if (err != WSAEWOULDBLOCK)
      throw plat::SystemException("write/select", err);
    sendsBlocked.add();
    if (!wait)
      return 0;
    int64_t started = ticksNow();
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(fd, &fds);
    timeval tv;
    tv.tv_sec = remaining / 1000;
    tv.tv_usec = (remaining % 1000) * 1000;
    int ready = select(0, nullptr, &fds, nullptr, remaining < 0 ? nullptr : &tv);
    if (ready == 0)
      throw plat::TimedOut();
    if (ready < 0) {
      err = WSAGetLastError();
      if (err != WSAEINTR)
        throw plat::SystemException("write/select", err);
      if (remaining >= 0) {
        int64_t waitedMs = (ticksNow() - started) / 10000;
        remaining = waitedMs >= remaining ? 0 : remaining - (int)waitedMs;
      }
    }
  }
}

} // namespace rdr
