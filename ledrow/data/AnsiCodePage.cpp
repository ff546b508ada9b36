#include "ledrow/data/AnsiCodePage.h"
#include "plat/String.h"

namespace addrbook {

ZeroingBuffer Latin1CodePage::toUtf8(const char* text) const {
  int len = plat::strLen(text);
  ZeroingBuffer out(2 * len + 1);
  char* p = out.buf();
  for (int i = 0; i < len; i++) {
    unsigned char c = (unsigned char)text[i];
    if (c < 0x80) {
      *p++ = (char)c;
    } else {
      *p++ = (char)(0xC0 | c >> 6);
      *p++ = (char)(0x80 | (c & 0x3F));
    }
  }
  return out;
}

} // namespace addrbook
