#include "ledrow/data/FileOps.h"
#include "plat/Exception.h"

#include <cerrno>
#include <unistd.h>

namespace addrbook {

FILE* tryOpenFile(const char* path, const char* mode) { return fopen(path, mode); }

FILE* openFile(const char* path, const char* mode) {
  FILE* f = fopen(path, mode);
  if (!f)
    throw plat::SystemExceptionFmt("fileOpen(%s)", errno, path);
  return f;
}

bool syncFile(FILE* file) { return fsync(fileno(file)) == 0; }

bool replaceFile(const char* from, const char* to) { return rename(from, to) == 0; }

bool deleteFile(const char* path) { return unlink(path) == 0; }

int lastFileError() { return errno; }

} // namespace addrbook
