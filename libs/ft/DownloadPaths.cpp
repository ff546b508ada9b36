#include "ft/DownloadPaths.h"

#include "plat/Exception.h"

#include <cstdio>

namespace ft {

namespace {

// What no sanitised name holds: a component that is empty, a drive, a
// stream or a parent, or that Windows would shorten into one.
bool safeRelative(const std::string& name) {
  size_t start = 0;
  for (;;) {
    size_t slash = name.find('/', start);
    std::string part = name.substr(start, slash == std::string::npos ? slash : slash - start);
    if (part.empty() || part.back() == '.' || part.back() == ' ')
      return false;
    for (char c : part) {
      if ((unsigned char)c < 32 || c == '\\' || c == ':')
        return false;
    }
    if (slash == std::string::npos)
      return true;
    start = slash + 1;
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

plat::String DownloadPaths::toLocal(std::string relative) const {
  if (!safeRelative(relative))
    throw plat::ExceptionFmt("Invalid file name: %s", relative.c_str());
  for (char& c : relative) {
    if (c == '/')
      c = '\\';
  }
  return plat::String((root_ + relative).c_str());
}

void DownloadPaths::checkClashes(const std::string& name, int limit) {
  checkFolders(name, limit);
  if (!checked.count(name) && !renames.count(name))
    resolve(name, limit);
}

void DownloadPaths::checkFolders(const std::string& name, int limit) {
  for (size_t end = name.find('/', 1); end != std::string::npos; end = name.find('/', end + 1)) {
    std::string prefix = name.substr(0, end);
    if (!checked.count(prefix) && !renames.count(prefix))
      resolve(prefix, limit);
  }
}

void DownloadPaths::takenName(const std::string& name, int limit) {
  checked.erase(name);
  renames.erase(name);
  resolve(name, limit);
}

void DownloadPaths::resolve(const std::string& prefix, int limit) {
  if (!exists(localPath(prefix).c_str())) {
    checked.insert(prefix);
    return;
  }
  // The number goes before the extension of the last component only, so
  // that "my.dir/readme" does not become a new folder "my (1).dir"; a
  // leading dot (".profile") is no extension.
  std::string mapped = mappedPath(prefix);
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
    if (!exists(toLocal(candidate).c_str())) {
      renames[prefix] = candidate;
      return;
    }
  }
}

} // namespace ft
