#include "plat/Exception.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"

#include <cstring>

namespace plat {

void appendSystemErrorText(char* buf, size_t size, int code) {
  wchar_t text[256];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           (DWORD)code, 0, text, 256, nullptr);
  if (n == 0)
    return;
  text[n < 256 ? n : 255] = 0;
  char* utf8 = nullptr;
  try {
    utf8 = W2MB(text);
  } catch (const Exception&) {
    return;
  }
  strAppend(buf, size, utf8, -1);
  delete[] utf8;
  size_t len = strlen(buf);
  while (len > 0 && (buf[len - 1] == '\n' || buf[len - 1] == '\r'))
    buf[--len] = 0;
}

} // namespace plat
