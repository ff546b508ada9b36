#include "rdr/BufferedOutStream.h"

#include "plat/String.h"
#include "rdr/Parameters.h"

#include <cstring>

namespace rdr {

BufferedOutStream::BufferedOutStream(int bufferSize_)
    : bufferSize(bufferSize_ > 0 ? bufferSize_ : 16384), offset(0), start(nullptr),
      sentUpTo(nullptr), noWait(false), trace(false), blocked(false) {
  start = new uint8_t[bufferSize];
  ptr = sentUpTo = start;
  end = start + bufferSize;
}

BufferedOutStream::~BufferedOutStream() {
  delete[] start;
}

int BufferedOutStream::avail() {
  return (int)((end - ptr) + (sentUpTo - start));
}

bool BufferedOutStream::writePending(bool wait, std::ptrdiff_t minimum) {
  while (ptr - sentUpTo >= minimum && ptr != sentUpTo) {
    int n = writeData(sentUpTo, (int)(ptr - sentUpTo), wait);
    blocked = n == 0;
    if (n == 0)
      return false;
    if (trace)
      plat::hexDump(" --> ", "     ", sentUpTo, n);
    sentUpTo += n;
  }
  return ptr == sentUpTo;
}

void BufferedOutStream::flush() {
  if (!writePending(!noWait))
    return;
  offset += ptr - start;
  ptr = sentUpTo = start;
}

bool BufferedOutStream::flushSome(bool wait) {
  return writePending(wait);
}

int BufferedOutStream::wholeSend() const {
  // Three quarters: messages sized by a share of the room left shrink as
  // the buffer fills; waiting for the last quarter would add many small
  // ones for little more in the send.
  int whole = sendSize() < bufferSize / 4 * 3 ? sendSize() : bufferSize / 4 * 3;
  return whole > 1 ? whole : 1;
}

void BufferedOutStream::flushWhole() {
  if (blocked || !writePending(false, wholeSend()))
    return;
  offset += ptr - start;
  ptr = sentUpTo = start;
}

void BufferedOutStream::resize(int64_t newSize) {
  ptrdiff_t pending = ptr - sentUpTo;
  uint8_t* grown = new uint8_t[newSize];
  memcpy(grown, sentUpTo, pending);
  offset += sentUpTo - start;
  delete[] start;
  start = sentUpTo = grown;
  ptr = start + pending;
  end = start + newSize;
  bufferSize = (int)newSize;
}

int BufferedOutStream::overrun(int itemSize, int nItems) {
  if (writePending(false)) {
    offset += ptr - start;
    ptr = sentUpTo = start;
  }
  while (avail() < itemSize) {
    int64_t maxSize = maxOutBufferSize;
    if (bufferSize < maxSize) {
      // In 64 bits: twice a buffer of more than 1 GiB must not wrap.
      int64_t doubled = 2 * (int64_t)bufferSize;
      resize(doubled < maxSize ? doubled : maxSize);
    } else if (bufferSize < itemSize) {
      // An item larger than the capped buffer: no amount of waiting would
      // make room for it, so the buffer grows to hold it whole.
      resize(itemSize);
    } else {
      int n = writeData(sentUpTo, (int)(ptr - sentUpTo), true);
      blocked = false;
      if (trace)
        plat::hexDump(" --> ", "     ", sentUpTo, n);
      sentUpTo += n;
    }
  }
  if (sentUpTo != start) {
    ptrdiff_t pending = ptr - sentUpTo;
    memmove(start, sentUpTo, pending);
    offset += sentUpTo - start;
    ptr = start + pending;
    sentUpTo = start;
  }
  int64_t fit = (end - ptr) / itemSize;
  return fit < nItems ? (int)fit : nItems;
}

} // namespace rdr
