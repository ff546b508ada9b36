// A moveable global memory block locked for the life of the object.
#pragma once

#include <windows.h>

namespace os {

class GlobalLockGuard {
public:
  explicit GlobalLockGuard(HGLOBAL memory);
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  ~GlobalLockGuard() { GlobalUnlock(memory_); }

  void* get() const { return data_; }
  // The block's size in bytes as the system knows it.
  size_t size() const { return GlobalSize(memory_); }

private:
  HGLOBAL memory_;
  void* data_;
};

} // namespace os
