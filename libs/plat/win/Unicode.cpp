#include "plat/win/Unicode.h"
#include "plat/Exception.h"

namespace plat {

wchar_t* MB2W(const char* text, UINT codePage, int length, DWORD flags) {
  if (!text)
    return nullptr;
  if (length < 0)
    length = (int)strlen(text);
  if (length == 0) {
    wchar_t* empty = new wchar_t[1];
    empty[0] = 0;
    return empty;
  }
  int units = MultiByteToWideChar(codePage, flags, text, length, nullptr, 0);
  if (units == 0)
    throw SystemException("MB2W", (int)GetLastError());
  wchar_t* out = new wchar_t[units + 1];
  units = MultiByteToWideChar(codePage, flags, text, length, out, units);
  if (units == 0) {
    DWORD err = GetLastError();
    delete[] out;
    throw SystemException("MB2W", (int)err);
  }
  out[units] = 0;
  return out;
}

char* W2MB(const wchar_t* text, UINT codePage, int length, DWORD flags, const char* defaultChar,
           BOOL* usedDefault) {
  if (!text)
    return nullptr;
  if (length < 0)
    length = (int)wcslen(text);
  if (length == 0) {
    char* empty = new char[1];
    empty[0] = 0;
    return empty;
  }
  int bytes =
      WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, defaultChar, usedDefault);
  if (bytes == 0)
    throw SystemException("W2MB", (int)GetLastError());
  char* out = new char[bytes + 1];
  bytes = WideCharToMultiByte(codePage, flags, text, length, out, bytes, defaultChar, usedDefault);
  if (bytes == 0) {
    DWORD err = GetLastError();
    delete[] out;
    throw SystemException("W2MB", (int)err);
  }
  out[bytes] = 0;
  return out;
}

} // namespace plat
