#include "plat/WipedString.h"
#include "plat/String.h"

namespace plat {

void secureZero(void* data, int len) {
  volatile unsigned char* p = (volatile unsigned char*)data;
  for (int i = 0; i < len; i++)
    p[i] = 0;
}

void WipedString::set(char* text) {
  if (text_ == text)
    return;
  if (text_) {
    secureZero(text_, strLen(text_));
    strFree(text_);
  }
  text_ = text;
}

} // namespace plat
