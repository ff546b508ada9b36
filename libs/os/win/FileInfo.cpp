#include "os/win/FileInfo.h"
#include "plat/Exception.h"
#include "plat/String.h"
#include "plat/win/DynamicFn.h"
#include "plat/win/Unicode.h"

namespace os {

typedef BOOL(WINAPI* GetAttributesExWFn)(LPCWSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
typedef BOOL(WINAPI* GetAttributesExAFn)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);

static const plat::DynamicFnT<GetAttributesExWFn>& getAttributesExW() {
  static plat::DynamicFnT<GetAttributesExWFn> fn("kernel32", "GetFileAttributesExW");
  return fn;
}
static const plat::DynamicFnT<GetAttributesExAFn>& getAttributesExA() {
  static plat::DynamicFnT<GetAttributesExAFn> fn("kernel32", "GetFileAttributesExA");
  return fn;
}

FileInfo::FileInfo(const char* path) : data_() {
  if (getAttributesExW().isValid()) {
    plat::WString wpath(path);
    if (getAttributesExW().get()(wpath.c_str(), GetFileExInfoStandard, &data_))
      return;
    DWORD err = GetLastError();
    if (err != ERROR_CALL_NOT_IMPLEMENTED)
      throw plat::SystemException("GetFileAttributesExW", (int)err);
  }
  fillAnsi(path);
}

void FileInfo::fillAnsi(const char* path) {
  plat::WString wpath(path);
  plat::String apath = plat::String::adopt(plat::W2MB(wpath.c_str(), CP_ACP));
  if (getAttributesExA().isValid()) {
    if (!getAttributesExA().get()(apath.c_str(), GetFileExInfoStandard, &data_))
      throw plat::SystemException("GetFileAttributesExA", (int)GetLastError());
    return;
  }
  DWORD attributes = GetFileAttributesA(apath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    throw plat::SystemException("GetFileAttributes", (int)GetLastError());
  WIN32_FIND_DATAA find;
  HANDLE search = FindFirstFileA(apath.c_str(), &find);
  if (search == INVALID_HANDLE_VALUE)
    throw plat::SystemException("GetFileAttributes(FindFirstFile)", (int)GetLastError());
  FindClose(search);
  data_.dwFileAttributes = attributes;
  data_.ftCreationTime = find.ftCreationTime;
  data_.ftLastAccessTime = find.ftLastAccessTime;
  data_.ftLastWriteTime = find.ftLastWriteTime;
  data_.nFileSizeHigh = find.nFileSizeHigh;
  data_.nFileSizeLow = find.nFileSizeLow;
}

} // namespace os
