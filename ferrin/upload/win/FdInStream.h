// An input stream over a run-time library file descriptor: the fall-back
// reader of local files where overlapped reads are not available (Windows
// 9x). Reads block; local files answer quickly.
#pragma once

#include "rdr/BufferedInStream.h"

namespace ft {

class FdInStream : public rdr::BufferedInStream {
public:
  // Takes over the descriptor and closes it.
  explicit FdInStream(int fd);
  ~FdInStream() override;

protected:
  int readData(uint8_t* buffer, int length) override;

private:
  int fd;
};

} // namespace ft
