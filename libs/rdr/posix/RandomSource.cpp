#include "rdr/RandomSource.h"

#include "plat/Exception.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace rdr {

RandomSource::RandomSource() {
  int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw plat::SystemException("RandomStream: unable to open /dev/urandom", errno);
  handle_ = (uintptr_t)fd;
}

RandomSource::~RandomSource() {
  close((int)handle_);
}

void RandomSource::fill(uint8_t* buffer, int length) {
  while (length > 0) {
    ssize_t n = read((int)handle_, buffer, length);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      throw plat::SystemException("unable to read /dev/urandom", n < 0 ? errno : 0);
    buffer += n;
    length -= (int)n;
  }
}

} // namespace rdr
