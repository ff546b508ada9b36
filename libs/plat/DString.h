// A growable NUL-terminated character buffer whose capacity is always a
// power of two of at least 8, so that repeated appends stay amortised linear.
#pragma once

#include "plat/Exception.h"

namespace plat {

class DString {
public:
  // The smallest power of two not below capacity, and at least 8.
  explicit DString(int capacity = 8);
  DString(const DString&) = delete;
  DString& operator=(const DString&) = delete;
  ~DString();

  void append(const char* text, int len = -1);
  void appendChars(char ch, int n);
  void appendf(const char* fmt, ...) PLAT_PRINTF(2, 3);
  void appendReplacing(const char* text, const char* find, const char* replacement);
  void clear();

  // Hands the buffer to the caller (free with strFree); the DString is then
  // empty with no buffer.
  char* release();

  const char* c_str() const { return data_ ? data_ : ""; }
  char* data() { return data_; }
  int length() const { return length_; }
  int capacity() const { return capacity_; }

private:
  // Grows so that a text of needed characters (without the NUL) fits.
  void reserve(int needed);

  char* data_;
  int capacity_;
  int length_;
};

} // namespace plat
