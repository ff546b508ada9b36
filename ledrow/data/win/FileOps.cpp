#include "ledrow/data/FileOps.h"
#include "os/win/DirIterator.h"
#include "plat/win/File.h"

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

std::vector<DirEntry> listDirectory(const char* path) {
  std::vector<DirEntry> entries;
  os::DirIterator it(path, "*");
  while (const char* name = it.next())
    entries.push_back(DirEntry{name, it.isDirectory()});
  return entries;
}

int lastFileError() { return (int)GetLastError(); }

} // namespace addrbook
