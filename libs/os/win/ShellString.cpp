#include "os/win/ShellString.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"

#include <cstring>

namespace os {

ShellString::~ShellString() {
  if (value_.uType == STRRET_WSTR)
    CoTaskMemFree(value_.pOleStr);
}

static char* ansiToUtf8(const char* text, int length) {
  plat::WString wide = plat::WString::adopt(plat::MB2W(text, CP_ACP, length));
  return plat::W2MB(wide.c_str());
}

char* ShellString::toUtf8(const ItemIdList& item) const {
  switch (value_.uType) {
  case STRRET_WSTR:
    return plat::W2MB(value_.pOleStr ? value_.pOleStr : L"");
  case STRRET_OFFSET: {
    // The list's bytes without its terminator.
    size_t size = item.size() > 2 ? (size_t)item.size() - 2 : 0;
    if (value_.uOffset >= size)
      return plat::strDup("");
    const char* text = reinterpret_cast<const char*>(item.data()) + value_.uOffset;
    return ansiToUtf8(text, (int)strnlen(text, size - value_.uOffset));
  }
  case STRRET_CSTR:
    return ansiToUtf8(value_.cStr, (int)strnlen(value_.cStr, sizeof(value_.cStr)));
  default:
    throw plat::Exception("StrRet: invalid determinant");
  }
}

} // namespace os
