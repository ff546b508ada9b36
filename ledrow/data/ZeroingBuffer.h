// An owned NUL-terminated text for plain passwords while they are in use:
// the whole allocation is overwritten with zeros before it is freed, also
// the bytes after the terminator.
#pragma once

namespace addrbook {

class ZeroingBuffer {
public:
  ZeroingBuffer() : capacity_(0), data_(nullptr) {}
  // capacity zero bytes, so any text of fewer bytes is terminated.
  explicit ZeroingBuffer(int capacity);
  ZeroingBuffer(const ZeroingBuffer&) = delete;
  ZeroingBuffer& operator=(const ZeroingBuffer&) = delete;
  ZeroingBuffer(ZeroingBuffer&& other) noexcept;
  ZeroingBuffer& operator=(ZeroingBuffer&& other) noexcept;
  ~ZeroingBuffer() { clear(); }

  static ZeroingBuffer copyOf(const char* text, int length);

  void clear();
  char* buf() { return data_; }
  const char* c_str() const { return data_; }
  int capacity() const { return capacity_; }

private:
  int capacity_;
  char* data_;
};

} // namespace addrbook
