#include "ft/DownloadPaths.h"

#include "plat/Exception.h"

#include <cstdio>
#include <cstring>

namespace ft {

namespace {

// What no sanitised name holds: a component that is empty, a drive, a
// stream or a parent, or that Windows would shorten into one.
// From: where the components not yet known to be safe start.
bool safeRelative(const std::string& name, size_t from) {
  size_t start = from;
  for (size_t i = from;; i++) {
    if (i == name.size() || name[i] == '/') {
      if (i == start || name[i - 1] == '.' || name[i - 1] == ' ')
        return false;
      if (i == name.size())
        return true;
      start = i + 1;
      continue;
    }
    char c = name[i];
    if ((unsigned char)c < 32 || c == '\\' || c == ':')
      return false;
  }
}

} // namespace

DownloadPaths::DownloadPaths(const char* folder, ExistsFunction exists_)
    : root_(folder ? folder : ""), exists(exists_) {
  if (!root_.empty() && root_.back() == '/')
    root_.back() = '\\';
  else if (root_.empty() || root_.back() != '\\')
    root_ += '\\';
}

std::string DownloadPaths::mappedPath(const std::string& name) const {
  std::string prefix = name;
  for (;;) {
    auto found = renames.find(prefix);
    if (found != renames.end())
      return found->second + name.substr(prefix.size());
    size_t slash = prefix.rfind('/');
    if (slash == std::string::npos)
      return name;
    prefix.resize(slash);
  }
}

plat::String DownloadPaths::localPath(const std::string& name) const {
  return toLocal(mappedPath(name));
}

// Every prefix of a name asks for its local path: made in one buffer.
plat::String DownloadPaths::toLocal(const std::string& relative, size_t checked) const {
  if (!safeRelative(relative, checked))
    throw plat::ExceptionFmt("Invalid file name: %s", relative.c_str());
  char* local = new char[root_.size() + relative.size() + 1];
  memcpy(local, root_.data(), root_.size());
  char* tail = local + root_.size();
  memcpy(tail, relative.c_str(), relative.size() + 1);
  for (char* at = tail; (at = strchr(at, '/')) != nullptr; at++)
    *at = '\\';
  return plat::String::adopt(local);
}

void DownloadPaths::checkClashes(const std::string& name, int limit) {
  walk(name, limit, true);
}

void DownloadPaths::checkFolders(const std::string& name, int limit) {
  walk(name, limit, false);
}

void DownloadPaths::takenName(const std::string& name, int limit) {
  checked.erase(name);
  renames.erase(name);
  walk(name, limit, true);
}

// Each prefix's mapped name grows from its parent's, as mappedPath would
// find it, and only its last component is checked: the parent's was when
// the parent was resolved. A search and a check from the start for every
// prefix made names of many components cost the cube of their length.
void DownloadPaths::walk(const std::string& name, int limit, bool withName) {
  std::string mapped;
  size_t start = 0;
  size_t end = 0;
  do {
    end = name.find('/', end + 1);
    if (end == std::string::npos && !withName)
      return;
    std::string prefix = name.substr(0, end);
    size_t parent = mapped.empty() ? 0 : mapped.size() + 1;
    mapped.append(name, start, end - start);
    if (!checked.count(prefix) && !renames.count(prefix))
      resolve(prefix, mapped, parent, limit);
    auto renamed = renames.find(prefix);
    if (renamed != renames.end())
      mapped = renamed->second;
    start = end;
  } while (end != std::string::npos);
}

void DownloadPaths::resolve(const std::string& prefix, const std::string& mapped, size_t parent,
                            int limit) {
  if (!exists(toLocal(mapped, parent).c_str())) {
    checked.insert(prefix);
    return;
  }
  // The number goes before the extension of the last component only, so
  // that "my.dir/readme" does not become a new folder "my (1).dir"; a
  // leading dot (".profile") is no extension.
  size_t lastStart = mapped.rfind('/');
  lastStart = lastStart == std::string::npos ? 0 : lastStart + 1;
  size_t dot = mapped.rfind('.');
  if (dot == std::string::npos || dot <= lastStart)
    dot = mapped.size();
  std::string base = mapped.substr(0, dot);
  std::string extension = mapped.substr(dot);
  for (int i = 1;; i++) {
    if (i > limit)
      throw plat::Exception("Too many name clashes");
    char number[16];
    snprintf(number, sizeof(number), " (%i)", i);
    std::string candidate = base + number + extension;
    if (!exists(toLocal(candidate, parent).c_str())) {
      renames[prefix] = candidate;
      return;
    }
  }
}

} // namespace ft
