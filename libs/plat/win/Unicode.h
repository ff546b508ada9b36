// UTF-8 <-> UTF-16 at the Windows interface. Results are new[] buffers the
// caller frees with delete[] (or holds in a WString).
#pragma once

#include <windows.h>

namespace plat {

wchar_t* MB2W(const char* text, UINT codePage = CP_UTF8, int length = -1, DWORD flags = 0);
char* W2MB(const wchar_t* text, UINT codePage = CP_UTF8, int length = -1, DWORD flags = 0,
           const char* defaultChar = nullptr, BOOL* usedDefault = nullptr);

// Owned UTF-16 string, made from UTF-8 for the duration of a Windows call.
class WString {
public:
  WString() : buf_(nullptr) {}
  explicit WString(const char* utf8) : buf_(MB2W(utf8)) {}
  WString(const WString&) = delete;
  WString& operator=(const WString&) = delete;
  WString(WString&& o) noexcept : buf_(o.buf_) { o.buf_ = nullptr; }
  ~WString() { delete[] buf_; }
  static WString adopt(wchar_t* buf) {
    WString w;
    w.buf_ = buf;
    return w;
  }
  const wchar_t* c_str() const { return buf_; }

private:
  wchar_t* buf_;
};

} // namespace plat
