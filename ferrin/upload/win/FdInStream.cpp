#include "ferrin/upload/win/FdInStream.h"

#include "plat/Exception.h"
#include "rdr/Exception.h"

#include <cerrno>
#include <io.h>

namespace ft {

FdInStream::FdInStream(int fd_) : fd(fd_) {}

FdInStream::~FdInStream() {
  _close(fd);
}

int FdInStream::readData(uint8_t* buffer, int length) {
  int n = _read(fd, buffer, (unsigned)length);
  if (n < 0)
    throw plat::SystemException("read", errno);
  if (n == 0)
    throw rdr::EndOfStream();
  return n;
}

} // namespace ft
