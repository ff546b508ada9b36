#include "ledrow/data/ZeroingBytes.h"
#include "plat/WipedString.h"

#include <cstring>
#include <utility>

namespace addrbook {

ZeroingBytes::ZeroingBytes(const void* data, int length) : ZeroingBytes() {
  assign(data, length);
}

ZeroingBytes::ZeroingBytes(const ZeroingBytes& other) : ZeroingBytes() {
  assign(other.data_, other.length_);
}

ZeroingBytes::ZeroingBytes(ZeroingBytes&& other) noexcept
    : length_(other.length_), capacity_(other.capacity_), data_(other.data_) {
  other.length_ = other.capacity_ = 0;
  other.data_ = nullptr;
}

ZeroingBytes& ZeroingBytes::operator=(const ZeroingBytes& other) {
  if (this != &other)
    assign(other.data_, other.length_);
  return *this;
}

ZeroingBytes& ZeroingBytes::operator=(ZeroingBytes&& other) noexcept {
  if (this != &other) {
    clear();
    std::swap(length_, other.length_);
    std::swap(capacity_, other.capacity_);
    std::swap(data_, other.data_);
  }
  return *this;
}

void ZeroingBytes::clear() {
  if (data_) {
    plat::secureZero(data_, capacity_);
    delete[] data_;
  }
  data_ = nullptr;
  length_ = capacity_ = 0;
}

uint8_t* ZeroingBytes::allocate(int length) {
  clear();
  if (length > 0) {
    data_ = new uint8_t[length]();
    length_ = capacity_ = length;
  }
  return data_;
}

void ZeroingBytes::assign(const void* data, int length) {
  // data may point into this buffer: copy before wiping.
  ZeroingBytes copy;
  if (length > 0)
    memcpy(copy.allocate(length), data, length);
  *this = std::move(copy);
}

void ZeroingBytes::truncate(int length) {
  if (length >= 0 && length < length_)
    length_ = length;
}

bool ZeroingBytes::equals(const void* data, int length) const {
  return length == length_ && (length == 0 || memcmp(data, data_, length) == 0);
}

} // namespace addrbook
