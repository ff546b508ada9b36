#include "os/win/FileVersionInfo.h"
#include "os/win/ModuleFileName.h"
#include "plat/win/Handle.h"
#include "plat/win/Unicode.h"

#include <cwchar>

namespace os {

FileVersionInfo::FileVersionInfo(const char* path) {
  plat::String own;
  if (!path) {
    own = plat::String::adopt(getModuleFileName(nullptr));
    if (own.isNull())
      throw plat::SystemException("Failed to open file", (int)GetLastError());
    path = own.c_str();
  }
  plat::WString wpath(path);
  {
    plat::Handle file(CreateFileW(wpath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
      throw plat::SystemException("Failed to open file", (int)GetLastError());
  }
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(wpath.c_str(), &handle);
  if (size == 0)
    throw plat::SystemException("GetVersionInfoSize failed", (int)GetLastError());
  block_.reset(new BYTE[size]);
  if (!GetFileVersionInfoW(wpath.c_str(), 0, size, block_.get()))
    throw plat::SystemException("GetVersionInfo failed", (int)GetLastError());
}

const char* FileVersionInfo::getString(const char* key, DWORD languageCodePage) {
  plat::WString wkey(key);
  wchar_t query[128];
  swprintf(query, sizeof(query) / sizeof(query[0]), L"\\StringFileInfo\\%.08x\\%ls",
           (unsigned)languageCodePage, wkey.c_str());
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block_.get(), query, &value, &length) || !value)
    throw plat::Exception("VerQueryValue failed");
  // length counts characters including the NUL; the text is cut there even
  // when the resource forgot its terminator.
  lastString_.replaceBuf(
      plat::W2MB(static_cast<const wchar_t*>(value), CP_UTF8, length ? (int)wcsnlen(
          static_cast<const wchar_t*>(value), length) : 0));
  return lastString_.c_str();
}

} // namespace os
