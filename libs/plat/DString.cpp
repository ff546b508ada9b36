#include "plat/DString.h"
#include "plat/Assert.h"
#include "plat/String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace plat {

namespace {

int powerOfTwoAtLeast(long long c) {
  long long cap = 8;
  while (cap < c)
    cap *= 2;
  if (cap > MaxStrLen + 1LL)
    throw Exception("DString: too long");
  return (int)cap;
}

} // namespace

DString::DString(int capacity) : data_(nullptr), capacity_(0), length_(0) {
  capacity_ = powerOfTwoAtLeast(capacity);
  data_ = new char[capacity_];
  data_[0] = 0;
}

DString::~DString() { delete[] data_; }

void DString::reserve(int needed) {
  if (data_ && needed < capacity_)
    return;
  int cap = powerOfTwoAtLeast((long long)needed + 1);
  char* grown = new char[cap];
  if (data_)
    memcpy(grown, data_, length_ + 1);
  else
    grown[0] = 0;
  delete[] data_;
  data_ = grown;
  capacity_ = cap;
}

void DString::append(const char* text, int len) {
  if (!text)
    return;
  int n = len < 0 ? strLen(text) : (int)strnlen(text, len);
  reserve(length_ + n);
  memcpy(data_ + length_, text, n);
  length_ += n;
  data_[length_] = 0;
}

void DString::appendChars(char ch, int n) {
  if (n < 1)
    return;
  reserve(length_ + n);
  memset(data_ + length_, ch, n);
  length_ += n;
  data_[length_] = 0;
}

void DString::appendf(const char* fmt, ...) {
  int estimate = strLen(fmt);
  for (;;) {
    reserve(length_ + estimate);
    int room = capacity_ - length_;
    va_list args;
    va_start(args, fmt);
    int r = vsnprintf(data_ + length_, room, fmt, args);
    va_end(args);
    if (r < 0) {
      estimate *= 2;
      continue;
    }
    if (r < room) {
      length_ += r;
      return;
    }
    data_[length_] = 0;
    estimate = r;
  }
}

void DString::appendReplacing(const char* text, const char* find, const char* replacement) {
  int findLen = strLen(find);
  if (!findLen)
    assertionFailed("findLen", "DString", 93);
  if (!text)
    return;
  for (;;) {
    const char* at = strstr(text, find);
    if (!at) {
      append(text);
      return;
    }
    append(text, (int)(at - text));
    append(replacement);
    text = at + findLen;
  }
}

void DString::clear() {
  if (data_)
    data_[0] = 0;
  length_ = 0;
}

char* DString::release() {
  char* result = data_;
  if (!result)
    result = strDup("");
  data_ = nullptr;
  capacity_ = 0;
  length_ = 0;
  return result;
}

} // namespace plat
