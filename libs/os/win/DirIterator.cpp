#include "os/win/DirIterator.h"
#include "os/win/OSVersionInfo.h"
#include "plat/DString.h"
#include "plat/Path.h"
#include "plat/win/Unicode.h"

#include <cstring>

namespace os {

DirIterator::DirIterator(const char* directory, const char* pattern)
    : DirIterator(directory, pattern, osVersion().is9x() ? Ansi : Wide) {}

DirIterator::DirIterator(const char* directory, const char* pattern, Form form)
    : form_(form), first_(true), search_(INVALID_HANDLE_VALUE), findW_(), findA_(),
      directory_(directory), name_(nullptr) {
  plat::DString spec;
  spec.appendf("%s\\%s", directory, pattern);
  plat::WString wspec(spec.c_str());
  if (form_ == Wide) {
    search_ = FindFirstFileW(wspec.c_str(), &findW_);
  } else {
    plat::String aspec = plat::String::adopt(plat::W2MB(wspec.c_str(), CP_ACP));
    search_ = FindFirstFileA(aspec.c_str(), &findA_);
  }
}

DirIterator::~DirIterator() {
  if (search_ != INVALID_HANDLE_VALUE)
    FindClose(search_);
}

bool DirIterator::advance() {
  if (search_ == INVALID_HANDLE_VALUE)
    return false;
  if (first_) {
    first_ = false;
    return true;
  }
  BOOL found = form_ == Wide ? FindNextFileW(search_, &findW_) : FindNextFileA(search_, &findA_);
  if (found)
    return true;
  DWORD err = GetLastError();
  if (err == ERROR_NO_MORE_FILES)
    return false;
  throw plat::SystemException("FindNextFile", (int)err);
}

const char* DirIterator::next() {
  while (advance()) {
    setPath();
    if (strcmp(name_, ".") != 0 && strcmp(name_, "..") != 0)
      return name_;
  }
  name_ = nullptr;
  return nullptr;
}

void DirIterator::setPath() {
  plat::String entry;
  if (form_ == Wide) {
    entry = plat::String::adopt(plat::W2MB(findW_.cFileName));
  } else {
    plat::WString wide = plat::WString::adopt(plat::MB2W(findA_.cFileName, CP_ACP));
    entry = plat::String::adopt(plat::W2MB(wide.c_str()));
  }
  plat::DString path;
  path.append(directory_.c_str());
  int length = directory_.length();
  if (length == 0 || !plat::isPathSeparator(directory_.c_str()[length - 1]))
    path.append("\\");
  int nameOffset = path.length();
  path.append(entry.c_str());
  fullPath_ = path.c_str();
  name_ = fullPath_.c_str() + nameOffset;
}

DWORD DirIterator::attributes() const {
  return form_ == Wide ? findW_.dwFileAttributes : findA_.dwFileAttributes;
}

bool DirIterator::isDirectory() const { return (attributes() & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool DirIterator::isReparsePoint() const {
  return (attributes() & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

} // namespace os
