#include "ledrow/app/win/DeleteFolder.h"
#include "plat/Exception.h"
#include "plat/win/Unicode.h"

#include <shellapi.h>

#include <string>

namespace addrbook {

namespace {

int shellOperationError(int result) {
  // The shell's own codes from before Win32, as the nearest Win32 ones.
  switch (result) {
  case 0x71: // DE_SAMEFILE
  case 0x72: // DE_MANYSRC1DEST
  case 0x73: // DE_DIFFDIR
  case 0x7A: // DE_MANYDEST
  case 0x7D: // DE_DESTSAMETREE
    return ERROR_INVALID_PARAMETER;
  case 0x74: // DE_ROOTDIR
  case 0x78: // DE_ACCESSDENIEDSRC
  case 0x10074: // DE_ROOTDIR | ERRORONDEST
    return ERROR_ACCESS_DENIED;
  case 0x75: // DE_OPCANCELLED
    return ERROR_CANCELLED;
  case 0x76: // DE_DESTSUBTREE
  case 0x7E: // DE_FLDDESTISFILE
  case 0x80: // DE_FILEDESTISFLD
    return ERROR_ALREADY_EXISTS;
  case 0x79: // DE_PATHTOODEEP
  case 0x81: // DE_FILENAMETOOLONG
  case 0xB7: // DE_ERROR_MAX
    return ERROR_FILENAME_EXCED_RANGE;
  case 0x7C: // DE_INVALIDFILES
    return ERROR_FILE_NOT_FOUND;
  case 0x82: // DE_DEST_IS_CDROM
  case 0x83: // DE_DEST_IS_DVD
  case 0x84: // DE_DEST_IS_CDRECORD
  case 0x86: // DE_SRC_IS_CDROM
  case 0x87: // DE_SRC_IS_DVD
  case 0x88: // DE_SRC_IS_CDRECORD
    return ERROR_WRITE_PROTECT;
  case 0x85: // DE_FILE_TOO_LARGE
    return ERROR_FILE_TOO_LARGE;
  case 0x402: // an unknown error on the destination
  case 0x10000: // ERRORONDEST
    return ERROR_GEN_FAILURE;
  default:
    return result;
  }
}

} // namespace

void deleteFolderTree(const char* path, HWND owner, bool* aborted) {
  plat::WString wide(path);
  // The shell takes a list of names, each ended by a zero, the list by
  // another.
  std::wstring names(wide.c_str());
  names.push_back(L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.hwnd = owner;
  operation.wFunc = FO_DELETE;
  operation.pFrom = names.c_str();
  operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI;
  operation.lpszProgressTitle = L"Deleting files...";
  int result = SHFileOperationW(&operation);
  *aborted = operation.fAnyOperationsAborted != FALSE;
  if (result != 0)
    throw plat::SystemException("Cannot delete directory", shellOperationError(result));
}

} // namespace addrbook
