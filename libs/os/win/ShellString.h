// A string the shell returns (STRRET), turned into UTF-8. A string of the
// wide kind is the shell's allocation and is freed with the holder.
#pragma once

#include "os/ItemIdList.h"

#include <shlobj.h>

namespace os {

class ShellString {
public:
  ShellString() : value_() { value_.uType = STRRET_CSTR; }
  ShellString(const ShellString&) = delete;
  ShellString& operator=(const ShellString&) = delete;
  ~ShellString();

  // For the shell call to fill.
  STRRET* out() { return &value_; }
  // A new UTF-8 buffer. item is the relative list the shell was asked
  // about: an offset-kind string lies inside it, and is read only there.
  // Any other kind throws "StrRet: invalid determinant".
  char* toUtf8(const ItemIdList& item) const;

private:
  STRRET value_;
};

} // namespace os
