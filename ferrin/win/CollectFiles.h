// The files of copied or chosen items, collected for an upload share: a
// file, or a folder with its whole tree below it, each entry named
// relative to the item's parent with '/' between the levels. A folder that
// is a reparse point (a junction or a link) is offered, but not entered:
// it may lead anywhere, back up its own tree included.
//
// Every name the user copied is offered, hard links of one file included,
// and so are names that differ only in case: in a case-sensitive folder
// (made so on Windows, by Linux tools, on a network share) they are
// different files. Two names are one only when they are the same path as
// named, or when they resolve to the same path (spelled otherwise: case,
// "." and "..", a short name, the "\\?\" prefix) and the volume says that
// they are the same file or folder; ids that are unknown never say so. So
// a list from another program that names one large folder a million times,
// by whatever spelling, gives its files once where the volume gives ids;
// and a name costs no look-up of its id unless its resolved path meets
// another's.
//
// The walk below a folder takes no more stack for a deeper level, and
// keeps of each folder entered only its id and the folder above it. A
// folder below that leads back to one being entered (a mount of its own
// tree) is offered but not entered. Where the volume gives no ids (a link
// on a server that does not say it is one may lead back up unseen), the
// walk ends where the system could open nothing deeper: a folder whose
// path leaves no room below it within the longest path is offered but not
// entered, and the log names it.
#pragma once

#include "ferrin/win/FileIdentity.h"
#include "ft/FileProxy.h"
#include "ft/ManagedVector.h"

#include <functional>
#include <string>
#include <unordered_map>
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

// The longest path the system opens, in UTF-16 units.
const size_t LongestPath = 32767;

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
  // A path collected, by the path it resolves to; its identity is looked
  // up once another path resolves there too.
  struct Collected {
    std::wstring path;
    bool lookedUp;
    FileIdentity identity;
  };

  // Whether the path is a file or folder collected before: it resolves to
  // the same path as one, and the volume says it is the same. Notes it
  // when not.
  bool collectedBefore(const wchar_t* path);
  // The entries of the folder's tree, the folder's identity given.
  void walk(const char* path, const char* name, const FileIdentity& identity);
  // False when the key was met before; notes it.
  bool firstTime(std::string key);

  ManagedVector<FileProxy>* out_;
  IdentityLookup identity_;
  // Paths as named, and virtual folders.
  std::unordered_set<std::string> seen_;
  // The paths collected, by the path they resolve to.
  std::unordered_map<std::string, std::vector<Collected>> resolved_;
};

} // namespace ft
