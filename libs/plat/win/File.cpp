#include "plat/win/File.h"
#include "plat/CallCounter.h"
#include "plat/Path.h"
#include "plat/win/Unicode.h"

namespace plat {

static CallCounter lookups("file.lookup");
static CallCounter directoriesMade("file.mkdir");
static CallCounter deletions("file.delete");

bool fileExists(const char* path) {
  WString wpath(path);
  lookups.add();
  if (GetFileAttributesW(wpath.c_str()) != INVALID_FILE_ATTRIBUTES)
    return true;
  DWORD err = GetLastError();
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)
    return false;
  throw SystemExceptionFmt("fileExists(%s)", (int)err, path);
}

bool isDirectory(const char* path) {
  WString wpath(path);
  lookups.add();
  DWORD attrs = GetFileAttributesW(wpath.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

FILE* fileTryOpen(const char* path, const char* mode) {
  WString wpath(path);
  WString wmode(mode);
  return _wfopen(wpath.c_str(), wmode.c_str());
}

FILE* fileOpen(const char* path, const char* mode) {
  FILE* f = fileTryOpen(path, mode);
  if (!f)
    throw SystemExceptionFmt("fileOpen(%s)", (int)GetLastError(), path);
  return f;
}

bool fileDelete(const char* path) {
  WString wpath(path);
  deletions.add();
  return DeleteFileW(wpath.c_str()) != 0;
}

bool fileRename(const char* from, const char* to) {
  WString wfrom(from);
  WString wto(to);
  return MoveFileExW(wfrom.c_str(), wto.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool mkDir(const char* path, bool makePrivate, bool privateIfExisting) {
  WString wpath(path);
  directoriesMade.add();
  if (CreateDirectoryW(wpath.c_str(), nullptr))
    return true;
  DWORD err = GetLastError();
  if (err == ERROR_ALREADY_EXISTS && isDirectory(path)) {
    if (makePrivate && privateIfExisting)
      throw ExceptionFmt("fileMakePrivate(%s) not implemented", path);
    return false;
  }
  throw SystemExceptionFmt("mkDir(%s)", (int)err, path);
}

bool mkDirs(const char* path, bool makePrivate, bool privateIfExisting) {
  try {
    return mkDir(path, makePrivate, privateIfExisting);
  } catch (const SystemException& e) {
    if (e.err != ERROR_PATH_NOT_FOUND)
      throw;
  }
  ParentDirectory parent(path);
  mkDirs(parent.path(), makePrivate, false);
  return mkDir(path, makePrivate, privateIfExisting);
}

} // namespace plat
