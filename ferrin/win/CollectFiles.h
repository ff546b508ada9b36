// The files of copied or chosen items, collected for an upload share: a
// file, or a folder with its whole tree below it, each entry named
// relative to the item's parent with '/' between the levels. A folder that
// is a reparse point (a junction or a link) is offered, but not entered:
// it may lead anywhere, back up its own tree included.
//
// Every name the user copied is offered, hard links of one file included.
// Only the same name reached again is skipped: a path named again, or
// spelled otherwise (case, "." and "..", a short name), and a folder named
// again by a path that leads to it some other way. So a list from another
// program that names one large folder a million times, by whatever
// spelling, gives its files once. A folder below that leads back to one
// being entered (a mount of its own tree) is offered but not entered.
#pragma once

#include "ferrin/win/FileIdentity.h"
#include "ft/FileProxy.h"
#include "ft/ManagedVector.h"

#include <functional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace os {
class ShellItem;
}

namespace ft {

// Whether a name another program gave may be offered: one or more
// components, none empty, "." or "..", no drive or stream (':'), no
// control characters.
bool isOfferableName(const char* name);

// The files of one list, each name once.
class FileCollection {
public:
  // What a file or folder is; the system's look-up unless a test gives
  // another.
  typedef std::function<FileIdentity(const wchar_t* path)> IdentityLookup;

  // The files go to out (not owned).
  explicit FileCollection(ManagedVector<FileProxy>* out, IdentityLookup identity = fileIdentity)
      : out_(out), identity_(std::move(identity)) {}
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
  // The entries of a folder and the trees of its sub-folders; entered: the
  // folders being entered, this one last.
  void enter(const char* path, const char* name, const std::vector<FileIdentity>& entered);
  // False when the key was met before; notes it.
  bool firstTime(std::string key);

  ManagedVector<FileProxy>* out_;
  IdentityLookup identity_;
  // Paths as named and as they resolve, and virtual folders.
  std::unordered_set<std::string> seen_;
  // The folders named, where their identity is known.
  std::set<FileIdentity> folders_;
};

} // namespace ft
