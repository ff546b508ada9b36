#include "ledrow/data/FileOps.h"
#include "os/win/DirIterator.h"
#include "plat/win/File.h"
#include "plat/win/Unicode.h"

#include <io.h>
#include <windows.h>

namespace addrbook {

const char PathSeparator = '\\';

FILE* tryOpenFile(const char* path, const char* mode) { return plat::fileTryOpen(path, mode); }

FILE* openFile(const char* path, const char* mode) { return plat::fileOpen(path, mode); }

bool syncFile(FILE* file) {
  HANDLE h = (HANDLE)_get_osfhandle(_fileno(file));
  return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
}

bool replaceFile(const char* from, const char* to) { return plat::fileRename(from, to); }

bool deleteFile(const char* path) { return plat::fileDelete(path); }

bool fileExists(const char* path) { return plat::fileExists(path); }

void makeDirectory(const char* path) { plat::mkDir(path); }

NewDirectory createDirectory(const char* path) {
  plat::WString wide(path);
  if (CreateDirectoryW(wide.c_str(), nullptr))
    return NewDirectory::Made;
  return GetLastError() == ERROR_ALREADY_EXISTS ? NewDirectory::NameTaken : NewDirectory::Failed;
}

bool moveFile(const char* from, const char* to) {
  plat::WString wideFrom(from), wideTo(to);
  return MoveFileW(wideFrom.c_str(), wideTo.c_str()) != 0;
}

std::vector<DirEntry> listDirectory(const char* path) {
  std::vector<DirEntry> entries;
  os::DirIterator it(path, "*");
  while (const char* name = it.next())
    entries.push_back(DirEntry{name, it.isDirectory(), it.isReparsePoint()});
  return entries;
}

int lastFileError() { return (int)GetLastError(); }

} // namespace addrbook
