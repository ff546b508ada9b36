#include "rdr/MemOutStream.h"

#include "rdr/Exception.h"

#include <cstring>

namespace rdr {

MemOutStream::MemOutStream(int initialSize, int maximum_)
    : start(nullptr), size(initialSize > 0 ? initialSize : 1), maximum(maximum_) {
  if (maximum > 0 && size > maximum)
    size = maximum;
  start = new uint8_t[size];
  ptr = start;
  end = start + size;
}

MemOutStream::~MemOutStream() {
  delete[] start;
}

void MemOutStream::write(const void* data, int length) {
  if (length <= 0)
    return;
  if (end - ptr < length)
    overrun(length, 1);
  memcpy(ptr, data, length);
  ptr += length;
}

int MemOutStream::overrun(int itemSize, int nItems) {
  int64_t used = ptr - start;
  if (maximum > 0 && used + itemSize > maximum)
    throw OutStreamFull();
  // In 64 bits: doubling a block of more than 1 GiB must not wrap.
  int64_t newSize = 2 * (int64_t)size;
  int64_t wanted = used + (int64_t)itemSize * nItems;
  if (wanted > newSize)
    newSize = wanted;
  if (maximum > 0 && newSize > maximum)
    newSize = maximum;
  if (newSize > 2147483647)
    newSize = 2147483647;
  if (newSize < used + itemSize)
    throw OutStreamFull();
  if (newSize > size) {
    uint8_t* grown = new uint8_t[newSize];
    memcpy(grown, start, used);
    delete[] start;
    start = grown;
    size = (int)newSize;
    ptr = start + used;
    end = start + size;
  }
  int64_t fit = (end - ptr) / itemSize;
  return fit < nItems ? (int)fit : nItems;
}

} // namespace rdr
