#include "rdr/MemInStream.h"

#include "rdr/Exception.h"

namespace rdr {

MemInStream::MemInStream(const void* data, int length, bool owned_)
    : start((const uint8_t*)data), owned(owned_) {
  ptr = checkpointAt = start;
  end = start + length;
}

MemInStream::~MemInStream() {
  if (owned)
    delete[] start;
}

bool MemInStream::overrun(int itemSize) {
  throw EndOfStream();
}

} // namespace rdr
