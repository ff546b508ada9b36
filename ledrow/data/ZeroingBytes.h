// A byte buffer for secrets (obfuscated passwords): its bytes are
// overwritten with zeros before they are freed or replaced.
#pragma once

#include <cstdint>

namespace addrbook {

class ZeroingBytes {
public:
  ZeroingBytes() : length_(0), capacity_(0), data_(nullptr) {}
  ZeroingBytes(const void* data, int length);
  ZeroingBytes(const ZeroingBytes& other);
  ZeroingBytes(ZeroingBytes&& other) noexcept;
  ZeroingBytes& operator=(const ZeroingBytes& other);
  ZeroingBytes& operator=(ZeroingBytes&& other) noexcept;
  ~ZeroingBytes() { clear(); }

  void clear();
  void assign(const void* data, int length);
  // Replaces the contents with length zero bytes and returns them.
  uint8_t* allocate(int length);
  // Keeps the first length bytes (no more than there are); the rest of the
  // allocation stays until it is wiped with the whole.
  void truncate(int length);

  int length() const { return length_; }
  bool empty() const { return length_ == 0; }
  const uint8_t* data() const { return data_; }
  uint8_t* data() { return data_; }
  bool equals(const void* data, int length) const;

private:
  int length_;
  int capacity_;
  uint8_t* data_;
};

} // namespace addrbook
