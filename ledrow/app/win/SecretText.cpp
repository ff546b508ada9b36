#include "ledrow/app/win/SecretText.h"
#include "plat/win/Unicode.h"

#include <cstring>
#include <vector>

namespace addrbook {

ZeroingBuffer secretText(HWND edit) {
  std::vector<wchar_t> wide(GetWindowTextLengthW(edit) + 1);
  GetWindowTextW(edit, wide.data(), (int)wide.size());
  char* utf8 = plat::W2MB(wide.data());
  SecureZeroMemory(wide.data(), wide.size() * sizeof(wchar_t));
  ZeroingBuffer text = ZeroingBuffer::copyOf(utf8, (int)strlen(utf8));
  SecureZeroMemory(utf8, strlen(utf8));
  delete[] utf8;
  return text;
}

} // namespace addrbook
