// The shell's system image list (the icons of file types), small or large.
#pragma once

#include "plat/Mutex.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

namespace ui {

// Process-wide; the first list found for each size is kept. Throws
// plat::Exception "systemImageList failed".
HIMAGELIST systemImageList(bool small);

// The cache behind systemImageList, over the shell's lookup.
class SystemImageCache {
public:
  typedef DWORD_PTR(WINAPI* Lookup)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT);
  explicit SystemImageCache(Lookup lookup) : lookup_(lookup), lists_{nullptr, nullptr} {}
  HIMAGELIST get(bool small);

private:
  Lookup lookup_;
  plat::Mutex lock_;
  HIMAGELIST lists_[2];
};

} // namespace ui
