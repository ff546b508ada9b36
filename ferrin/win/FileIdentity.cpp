#include "ferrin/win/FileIdentity.h"

#include "plat/win/DynamicFn.h"
#include "plat/win/Handle.h"

#include <windows.h>

#include <cstring>

namespace ft {

namespace {

// GetFileInformationByHandleEx's class and record for the 128-bit id;
// systems before Windows 8 know neither, nor do the headers for them.
const int IdInfoClass = 18;
struct IdRecord {
  ULONGLONG volumeSerialNumber;
  BYTE fileId[16];
};

typedef BOOL(WINAPI* GetInfoByHandleExFn)(HANDLE, int, void*, DWORD);

} // namespace

FileIdentity fileIdentity(const wchar_t* path) {
  plat::Handle file(CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr));
  if (file == INVALID_HANDLE_VALUE)
    return FileIdentity();
  static plat::DynamicFnT<GetInfoByHandleExFn> getInfoEx("kernel32",
                                                         "GetFileInformationByHandleEx");
  IdRecord id;
  if (getInfoEx.isValid() && getInfoEx.get()(file, IdInfoClass, &id, sizeof(id))) {
    uint64_t halves[2];
    memcpy(halves, id.fileId, sizeof(halves));
    return FileIdentity::fromId(id.volumeSerialNumber, halves[0], halves[1]);
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info))
    return FileIdentity();
  return FileIdentity::fromIndex(info.dwVolumeSerialNumber,
                                 (uint64_t)info.nFileIndexHigh << 32 | info.nFileIndexLow);
}

} // namespace ft
