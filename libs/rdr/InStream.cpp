#include "rdr/InStream.h"

#include "plat/Assert.h"
#include "plat/String.h"
#include "rdr/Exception.h"

#include <cstring>
#include <memory>

namespace rdr {

InStream::InStream()
    : ptr(nullptr), end(nullptr), checkpointAt(nullptr), checkpointPos(0), rewindable(true) {}

InStream::~InStream() {}

bool InStream::check(bool wait, int n) {
  if (!rewindable)
    checkpoint(); // lets a buffered stream drop what lies before ptr
  bool ready;
  try {
    ready = overrun(n);
  } catch (BlockException&) {
    ready = false;
  }
  if (ready) {
    if (ptr == end)
      throw plat::Exception("InStream overrun: buffer size exceeded");
    return true;
  }
  if (rewindable)
    rewind();
  if (wait)
    throw BlockException();
  return false;
}

void InStream::setptr(const uint8_t* p) {
  PLAT_ASSERT(p >= ptr && p <= end);
  ptr = p;
}

void InStream::skip(int n) {
  while (n > 0) {
    if (ptr == end)
      check(true, 1);
    int step = n < end - ptr ? n : (int)(end - ptr);
    ptr += step;
    n -= step;
  }
}

const uint8_t* InStream::readBytes(uint8_t* buffer, int n) {
  if (end - ptr < n)
    check(true, n);
  if (end - ptr >= n) {
    const uint8_t* p = ptr;
    ptr += n;
    return p;
  }
  uint8_t* out = buffer;
  while (n > 0) {
    if (ptr == end)
      check(true, 1);
    int step = n < end - ptr ? n : (int)(end - ptr);
    memcpy(out, ptr, step);
    ptr += step;
    out += step;
    n -= step;
  }
  return buffer;
}

uint8_t InStream::readU8() {
  uint8_t b;
  return *readBytes(&b, 1);
}

uint16_t InStream::readU16() {
  uint8_t buf[2];
  const uint8_t* b = readBytes(buf, 2);
  return (uint16_t)(b[0] << 8 | b[1]);
}

uint32_t InStream::readU32() {
  uint8_t buf[4];
  const uint8_t* b = readBytes(buf, 4);
  return (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | b[3];
}

uint64_t InStream::readU64() {
  uint64_t high = readU32();
  return high << 32 | readU32();
}

char* InStream::readString(int maximumLength) {
  uint32_t length = readU32();
  if (maximumLength < 0 || length > (uint32_t)maximumLength)
    throw StringTooLongException();
  // Owned until it is complete: a reader that blocks half way reads the
  // whole string again later.
  std::unique_ptr<char[]> text(new char[length + 1]);
  char* out = text.get();
  uint32_t left = length;
  while (left > 0) {
    if (ptr == end)
      check(true, 1);
    uint32_t step = left < (uint32_t)(end - ptr) ? left : (uint32_t)(end - ptr);
    memcpy(out, ptr, step);
    ptr += step;
    out += step;
    left -= step;
  }
  *out = 0;
  return text.release();
}

void InStream::checkpoint() {
  checkpointAt = ptr;
  checkpointPos = pos();
}

void InStream::rewind() {
  if (!rewindable)
    throw plat::Exception("Attempt to rewind a non-rewindable stream");
  ptr = checkpointAt;
}

void InStream::reposition(int position) {
  int distance = (int)((uint32_t)position - (uint32_t)checkpointPos);
  if (distance < 0)
    throw plat::Exception("Can't reposition before checkpoint");
  rewind();
  skip(distance);
}

} // namespace rdr
