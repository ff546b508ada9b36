// The shell's side of ItemIdList: a list parsed from a path.
#include "os/ItemIdList.h"
#include "plat/Exception.h"
#include "plat/win/Unicode.h"

#include <shlobj.h>

namespace os {

ItemIdList::ItemIdList(const char* path) : size_(0), data_(nullptr) {
  IShellFolder* desktop = nullptr;
  HRESULT result = SHGetDesktopFolder(&desktop);
  if (FAILED(result))
    throw plat::SystemException("SHGetDesktopFolder", (int)result);
  IMalloc* allocator = nullptr;
  result = SHGetMalloc(&allocator);
  if (FAILED(result)) {
    desktop->Release();
    throw plat::SystemException("SHGetMalloc", (int)result);
  }
  plat::WString wpath(path);
  LPITEMIDLIST parsed = nullptr;
  result = desktop->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(wpath.c_str()), nullptr,
                                     &parsed, nullptr);
  desktop->Release();
  if (FAILED(result)) {
    allocator->Release();
    throw plat::SystemException("IShellFolder::ParseDisplayName", (int)result);
  }
  try {
    assign(reinterpret_cast<const uint8_t*>(parsed), measure(parsed, -1));
  } catch (...) {
    allocator->Free(parsed);
    allocator->Release();
    throw;
  }
  allocator->Free(parsed);
  allocator->Release();
}

} // namespace os
