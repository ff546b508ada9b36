// The entries of a directory that match a pattern, without "." and "..".
// The search runs in the ANSI form on Windows 9x and in the wide form
// elsewhere; names are UTF-8 either way.
#pragma once

#include "plat/String.h"

#include <windows.h>

namespace os {

class DirIterator {
public:
  enum Form { Wide, Ansi };

  // The form follows the version record.
  DirIterator(const char* directory, const char* pattern);
  DirIterator(const char* directory, const char* pattern, Form form);
  DirIterator(const DirIterator&) = delete;
  DirIterator& operator=(const DirIterator&) = delete;
  ~DirIterator();

  // The next entry's name, or null at the end (and when the search could
  // not start). Valid until the next call.
  const char* next();
  const char* name() const { return name_; }
  // directory, one separator, name.
  const char* fullPath() const { return fullPath_.c_str(); }
  bool isDirectory() const;
  // A symbolic link or a junction: where it leads is not this folder's.
  bool isReparsePoint() const;

  // The raw find data of the form in use (the other gives null).
  const WIN32_FIND_DATAW* findDataW() const { return form_ == Wide ? &findW_ : nullptr; }
  const WIN32_FIND_DATAA* findDataA() const { return form_ == Ansi ? &findA_ : nullptr; }

private:
  bool advance();
  void setPath();
  DWORD attributes() const;

  Form form_;
  bool first_;
  HANDLE search_;
  WIN32_FIND_DATAW findW_;
  WIN32_FIND_DATAA findA_;
  plat::String directory_;
  plat::String fullPath_;
  const char* name_;
};

} // namespace os
