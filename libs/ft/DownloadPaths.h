// Where the files of one downloaded share go: below a root folder, under
// their sanitised relative names, with the top-most component that clashes
// with something already on disk renamed ("report (2).txt", "photos (1)")
// and everything beneath it following the rename. Nothing existing is ever
// overwritten, and no name leaves the root.
#pragma once

#include "plat/String.h"

#include <map>
#include <set>
#include <string>

namespace ft {

class DownloadPaths {
public:
  // Whether a file or folder exists at a local path; may throw
  // plat::Exception (a drive that is not ready, ...).
  typedef bool (*ExistsFunction)(const char* path);

  // The root is the folder, with a backslash appended when it has no
  // trailing separator.
  DownloadPaths(const char* folder, ExistsFunction exists);

  const char* root() const { return root_.c_str(); }

  // The relative name after renames (still '/'-separated).
  std::string mappedPath(const std::string& name) const;
  // The root followed by the mapped name with '\' separators. Throws
  // plat::Exception when a component could leave the root.
  plat::String localPath(const std::string& name) const;
  // Resolves clashes of every prefix of name, shortest first, that has not
  // been resolved before. Throws plat::Exception "Too many name clashes"
  // when more than limit candidates of one name are taken.
  void checkClashes(const std::string& name, int limit);
  // The same for the folders above name only: a file's own name is then
  // tried by creating the file exclusively, and resolved (takenName) only
  // when that finds it taken.
  void checkFolders(const std::string& name, int limit);
  // Something exists at name's local path: name maps to its next free
  // candidate from now on.
  void takenName(const std::string& name, int limit);

private:
  // The root followed by a relative name that is mapped already; its
  // components before the offset checked are known to be safe.
  plat::String toLocal(const std::string& relative, size_t checked = 0) const;
  // Resolves the prefixes of name, and name itself withName.
  void walk(const std::string& name, int limit, bool withName);
  // mapped: the prefix's mapped name, whose components before the offset
  // parent are safe.
  void resolve(const std::string& prefix, const std::string& mapped, size_t parent, int limit);

  std::string root_;
  ExistsFunction exists;
  std::map<std::string, std::string> renames;
  std::set<std::string> checked;
};

} // namespace ft
