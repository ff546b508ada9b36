#include "ferrin/DisplayPath.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"

#include <windows.h>

namespace ft {

char* displayPath(const char* path) {
  wchar_t profile[260];
  DWORD n = ExpandEnvironmentStringsW(L"%userprofile%", profile, 260);
  if (n == 0 || n > 260 || profile[0] == L'%')
    return plat::strDup(path);
  plat::String utf8 = plat::String::adopt(plat::W2MB(profile));
  return displayPathFor(path, utf8.c_str());
}

} // namespace ft
