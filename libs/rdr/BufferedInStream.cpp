#include "rdr/BufferedInStream.h"

#include "plat/String.h"

#include <cstring>

namespace rdr {

BufferedInStream::BufferedInStream(int bufferSize_)
    : bufferSize(bufferSize_ > 0 ? bufferSize_ : 16800), offset(0), buffer(nullptr),
      trace(false), drained_(false) {
  buffer = new uint8_t[bufferSize];
  ptr = end = checkpointAt = buffer;
}

BufferedInStream::~BufferedInStream() {
  delete[] buffer;
}

bool BufferedInStream::overrun(int itemSize) {
  if (checkpointAt != buffer) {
    ptrdiff_t dropped = checkpointAt - buffer;
    memmove(buffer, checkpointAt, end - checkpointAt);
    offset += dropped;
    checkpointAt -= dropped;
    ptr -= dropped;
    end -= dropped;
  }
  uint8_t* limit = buffer + bufferSize;
  ptrdiff_t need = itemSize < limit - ptr ? itemSize : limit - ptr;
  while (end - ptr < need) {
    uint8_t* fill = (uint8_t*)end;
    int n = readData(fill, (int)(limit - fill));
    drained_ = n < limit - fill;
    if (n == 0)
      return false;
    if (trace)
      plat::hexDump(" <-- ", "     ", fill, n);
    end += n;
  }
  return true;
}

} // namespace rdr
