#include "plat/Environment.h"
#include "plat/win/Unicode.h"

namespace plat {

String getEnvironmentVariable(const char* name) {
  WString wname(name);
  DWORD size = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (size == 0)
    return String();
  for (;;) {
    wchar_t* value = new wchar_t[size];
    DWORD n = GetEnvironmentVariableW(wname.c_str(), value, size);
    if (n < size) {
      value[n] = 0;
      String result = String::adopt(W2MB(value));
      delete[] value;
      return result;
    }
    delete[] value;
    if (n == 0)
      return String();
    size = n;
  }
}

} // namespace plat
