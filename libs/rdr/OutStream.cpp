#include "rdr/OutStream.h"

#include "plat/Assert.h"

#include <cstring>

namespace rdr {

OutStream::OutStream() : ptr(nullptr), end(nullptr) {}

OutStream::~OutStream() {}

void OutStream::setptr(uint8_t* p) {
  PLAT_ASSERT(p >= ptr && p <= end);
  ptr = p;
}

void OutStream::write(const void* data, int length) {
  const uint8_t* in = (const uint8_t*)data;
  while (length > 0) {
    int n;
    if (ptr == end)
      n = overrun(1, length);
    else
      n = length < end - ptr ? length : (int)(end - ptr);
    memcpy(ptr, in, n);
    ptr += n;
    in += n;
    length -= n;
  }
}

void OutStream::writeU8(uint8_t value) {
  if (ptr == end)
    overrun(1, 1);
  *ptr++ = value;
}

void OutStream::writeU16(uint16_t value) {
  if (end - ptr < 2)
    overrun(2, 1);
  *ptr++ = (uint8_t)(value >> 8);
  *ptr++ = (uint8_t)value;
}

void OutStream::writeU32(uint32_t value) {
  if (end - ptr < 4)
    overrun(4, 1);
  *ptr++ = (uint8_t)(value >> 24);
  *ptr++ = (uint8_t)(value >> 16);
  *ptr++ = (uint8_t)(value >> 8);
  *ptr++ = (uint8_t)value;
}

void OutStream::writeU64(uint64_t value) {
  writeU32((uint32_t)(value >> 32));
  writeU32((uint32_t)value);
}

void OutStream::writeString(const char* text) {
  uint32_t length = text ? (uint32_t)strlen(text) : 0;
  writeU32(length);
  write(text, (int)length);
}

} // namespace rdr
