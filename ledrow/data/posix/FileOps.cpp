#include "ledrow/data/FileOps.h"
#include "plat/Exception.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace addrbook {

const char PathSeparator = '/';

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

bool fileExists(const char* path) {
  struct stat st;
  if (lstat(path, &st) == 0)
    return true;
  if (errno == ENOENT || errno == ENOTDIR)
    return false;
  throw plat::SystemExceptionFmt("fileExists(%s)", errno, path);
}

void makeDirectory(const char* path) {
  if (mkdir(path, 0777) == 0)
    return;
  int err = errno;
  struct stat st;
  if (err == EEXIST && stat(path, &st) == 0 && S_ISDIR(st.st_mode))
    return;
  throw plat::SystemExceptionFmt("mkDir(%s)", err, path);
}

NewDirectory createDirectory(const char* path) {
  if (mkdir(path, 0777) == 0)
    return NewDirectory::Made;
  return errno == EEXIST ? NewDirectory::NameTaken : NewDirectory::Failed;
}

bool moveFile(const char* from, const char* to) {
  return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0;
}

std::vector<DirEntry> listDirectory(const char* path) {
  std::vector<DirEntry> entries;
  DIR* dir = opendir(path);
  if (!dir)
    return entries;
  while (struct dirent* e = readdir(dir)) {
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
      continue;
    std::string full = std::string(path) + PathSeparator + e->d_name;
    // Links are not followed: one that points back up would never end.
    struct stat st;
    bool known = lstat(full.c_str(), &st) == 0;
    entries.push_back(
        DirEntry{e->d_name, known && S_ISDIR(st.st_mode), known && S_ISLNK(st.st_mode)});
  }
  closedir(dir);
  return entries;
}

int lastFileError() { return errno; }

} // namespace addrbook
