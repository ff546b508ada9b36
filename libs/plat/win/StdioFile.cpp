#include "plat/win/StdioFile.h"
#include "plat/CallCounter.h"
#include "plat/win/File.h"
#include "plat/win/Unicode.h"

#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace plat {

static CallCounter opens("file.open");
static CallCounter writes("file.write");
static CallCounter closes("file.close");

void StdioFile::set(FILE* file, bool owned) {
  close();
  file_ = file;
  owned_ = owned;
}

void StdioFile::close() {
  if (file_ && owned_)
    fclose(file_);
  file_ = nullptr;
  owned_ = true;
}

void StdioFile::open(const char* name, int mode, bool binary) {
  if (strcmp(name, "-") == 0) {
    if (mode == Read)
      set(stdin, false);
    else if (mode == Write || mode == Append)
      set(stdout, false);
    else
      throw Exception("Invalid mode for filename \"-\"");
    return;
  }
  static const char* const modes[] = {"r", "w", "a", "a+", "r+", "r+", "w+"};
  if (mode < 0 || mode > CreateReadWrite)
    throw ExceptionFmt("StdioFile: invalid mode %d", mode);
  char text[4];
  snprintf(text, sizeof(text), "%s%s", modes[mode], binary ? "b" : "");
  FILE* f;
  if (mode == ReadWriteOrCreate) {
    f = fileTryOpen(name, text);
    if (!f) {
      snprintf(text, sizeof(text), "w+%s", binary ? "b" : "");
      f = fileOpen(name, text);
    }
  } else {
    f = fileOpen(name, text);
  }
  set(f, true);
}

void FileDescriptor::open(const char* path, int flags) {
  WString wpath(path);
  opens.add();
  int fd = _wopen(wpath.c_str(), flags | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0)
    throw SystemException("open", (int)GetLastError());
  reset(fd);
}

int FileDescriptor::write(const void* data, int len) {
  writes.add();
  int written = _write(fd_, data, len);
  if (written == 0)
    throw SystemException("write returned 0", (int)GetLastError());
  if (written < 0)
    throw SystemException("write", (int)GetLastError());
  if (written > len)
    throw AssertionFail("written <= len", "FileDescriptor", 84);
  return written;
}

void FileDescriptor::close() {
  if (fd_ >= 0) {
    closes.add();
    _close(fd_);
  }
  fd_ = -1;
}

void FileDescriptor::reset(int fd) {
  close();
  fd_ = fd;
}

} // namespace plat
