// The files of copied or chosen items, collected for an upload share: a
// file, or a folder with its whole tree below it, each entry named
// relative to the item's parent with '/' between the levels. A folder that
// is a reparse point (a junction or a link) is offered, but not entered:
// it may lead anywhere, back up its own tree included.
//
// A list from another program may name one large folder a million times,
// or by other spellings of its path: each file or folder named, and each
// folder entered, is collected once, known by its volume and file index
// (by its full path where those cannot be had).
#pragma once

#include "ft/FileProxy.h"
#include "ft/ManagedVector.h"

#include <string>
#include <unordered_set>

namespace os {
class ShellItem;
}

namespace ft {

// Whether a name another program gave may be offered: one or more
// components, none empty, "." or "..", no drive or stream (':'), no
// control characters.
bool isOfferableName(const char* name);

// The files of one list, each once.
class FileCollection {
public:
  // The files go to out (not owned).
  explicit FileCollection(ManagedVector<FileProxy>* out) : out_(out) {}
  FileCollection(const FileCollection&) = delete;
  FileCollection& operator=(const FileCollection&) = delete;

  // path: the file or folder; name: what the share calls it. Nothing when
  // it was collected before. Throws plat::Exception for a name that may
  // not be offered and plat::SystemException for a file that cannot be
  // looked at.
  void addPath(const char* path, const char* name);
  // A shell item below prefix (empty: at the top): file-system items by
  // their path, others (virtual folders) through their enumeration. Throws
  // plat::SystemException "IShellFolder::EnumObjects".
  void addItem(const os::ShellItem& item, const char* prefix);

private:
  // The file or folder, and a folder's tree.
  void collect(const char* path, const char* name);
  // False when the key was met before; notes it.
  bool firstTime(std::string key);

  ManagedVector<FileProxy>* out_;
  // Paths as named, and what the files and folders are.
  std::unordered_set<std::string> seen_;
};

} // namespace ft
