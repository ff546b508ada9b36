#include "rdr/BufferedOutStream.h"

#include "plat/String.h"
#include "rdr/Parameters.h"

#include <cstring>

namespace rdr {

BufferedOutStream::BufferedOutStream(int bufferSize_)
    : bufferSize(bufferSize_ > 0 ? bufferSize_ : 16384), capacity(bufferSize), offset(0),
      start(nullptr), sentUpTo(nullptr), unit(nullptr), noWait(false), trace(false),
      blocked(false) {
  start = new uint8_t[capacity];
  ptr = sentUpTo = unit = start;
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
    sent(n);
  }
  return ptr == sentUpTo;
}

void BufferedOutStream::sent(int n) {
  if (trace)
    plat::hexDump(" --> ", "     ", sentUpTo, n);
  sentUpTo += n;
  if (unit == start)
    return;
  if (ptr == sentUpTo) {
    reset();
    return;
  }
  // Part of what was held back went: the rest moves to the front, so that
  // whole sends are held back only behind a buffer with nothing sent.
  moveToFront();
}

void BufferedOutStream::moveToFront() {
  ptrdiff_t pending = ptr - sentUpTo;
  ptrdiff_t current = ptr - unitStart();
  memmove(start, sentUpTo, pending);
  offset += sentUpTo - start;
  sentUpTo = start;
  ptr = start + pending;
  unit = ptr - current;
  end = unit + bufferSize;
}

void BufferedOutStream::reset() {
  offset += ptr - start;
  ptr = sentUpTo = unit = start;
  end = start + bufferSize;
}

void BufferedOutStream::flush() {
  if (writePending(!noWait))
    reset();
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
  if (blocked || ptr - unitStart() < wholeSend())
    return;
  if (holdBack())
    return;
  if (writePending(false, wholeSend()))
    reset();
}

void BufferedOutStream::flushHeld() {
  if (!blocked && unit != start && writePending(false))
    reset();
}

bool BufferedOutStream::holdBack() {
  // Four buffers at most: the other end waits for all of them, and what a
  // send gains from being larger still is small.
  int64_t most = sendSize() < 4 * (int64_t)bufferSize ? sendSize() : 4 * (int64_t)bufferSize;
  if (sentUpTo != start || (ptr - start) + (int64_t)bufferSize > most)
    return false;
  if ((ptr - start) + bufferSize > capacity) {
    // Made once, at the first whole send held back: a stream that never
    // holds one back keeps its one buffer.
    ptrdiff_t used = ptr - start;
    uint8_t* grown = new uint8_t[most];
    memcpy(grown, start, used);
    delete[] start;
    start = sentUpTo = grown;
    ptr = start + used;
    capacity = most;
  }
  unit = ptr;
  end = unit + bufferSize;
  return true;
}

void BufferedOutStream::resize(int64_t newSize) {
  // Whole sends held back stay before the room of newSize.
  ptrdiff_t pending = ptr - sentUpTo;
  ptrdiff_t held = unitStart() - sentUpTo;
  uint8_t* grown = new uint8_t[held + newSize];
  memcpy(grown, sentUpTo, pending);
  offset += sentUpTo - start;
  delete[] start;
  start = sentUpTo = grown;
  ptr = start + pending;
  unit = start + held;
  end = unit + newSize;
  bufferSize = (int)newSize;
  capacity = held + newSize;
}

int BufferedOutStream::overrun(int itemSize, int nItems) {
  if (writePending(false))
    reset();
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
      sent(n);
    }
  }
  if (sentUpTo != start)
    moveToFront();
  int64_t fit = (end - ptr) / itemSize;
  return fit < nItems ? (int)fit : nItems;
}

} // namespace rdr
