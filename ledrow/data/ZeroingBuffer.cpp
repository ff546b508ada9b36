#include "ledrow/data/ZeroingBuffer.h"
#include "plat/WipedString.h"

#include <cstring>

namespace addrbook {

ZeroingBuffer::ZeroingBuffer(int capacity) : capacity_(capacity), data_(new char[capacity]()) {}

ZeroingBuffer::ZeroingBuffer(ZeroingBuffer&& other) noexcept
    : capacity_(other.capacity_), data_(other.data_) {
  other.capacity_ = 0;
  other.data_ = nullptr;
}

ZeroingBuffer& ZeroingBuffer::operator=(ZeroingBuffer&& other) noexcept {
  if (this != &other) {
    clear();
    capacity_ = other.capacity_;
    data_ = other.data_;
    other.capacity_ = 0;
    other.data_ = nullptr;
  }
  return *this;
}

ZeroingBuffer ZeroingBuffer::copyOf(const char* text, int length) {
  ZeroingBuffer copy(length + 1);
  memcpy(copy.data_, text, length);
  return copy;
}

void ZeroingBuffer::clear() {
  if (data_) {
    plat::secureZero(data_, capacity_);
    delete[] data_;
  }
  data_ = nullptr;
  capacity_ = 0;
}

} // namespace addrbook
