// An owned Windows handle, closed when replaced or destroyed.
#pragma once

#include <windows.h>

namespace plat {

class Handle {
public:
  Handle() : h_(nullptr) {}
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { reset(); }

  void reset(HANDLE h = nullptr) {
    if (h_ && h_ != INVALID_HANDLE_VALUE && h_ != h)
      CloseHandle(h_);
    h_ = h;
  }
  HANDLE release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  HANDLE get() const { return h_; }
  operator HANDLE() const { return h_; }

private:
  HANDLE h_;
};

} // namespace plat
