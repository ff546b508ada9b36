#include "plat/Path.h"
#include "plat/Assert.h"
#include "plat/SafeFileName.h"

#include <cctype>
#include <cstring>

namespace plat {

ParentDirectory::PathIsRoot::PathIsRoot(const char* path) { appendf("PathIsRoot: %s", path); }
ParentDirectory::NotAPath::NotAPath(const char* path) { appendf("NotAPath: %s", path); }

int rootLength(const char* path) {
  if (isalpha((unsigned char)path[0]) && path[1] == ':' && isPathSeparator(path[2]))
    return 3;
  if (isPathSeparator(path[0]) && isPathSeparator(path[1])) {
    int i = 2;
    while (path[i] && !isPathSeparator(path[i]))
      i++;
    if (i == 2 || !path[i] || !path[i + 1])
      return -1; // no server, or a server without a share
    i++;
    int shareStart = i;
    while (path[i] && !isPathSeparator(path[i]))
      i++;
    if (i == shareStart)
      return -1;
    return path[i] ? i + 1 : i;
  }
  return 0;
}

bool isRootPath(const char* path) {
  int root = rootLength(path);
  return root > 0 && path[root] == 0;
}

bool mayReachNetwork(const char* path) {
  return isPathSeparator(path[0]) && (isPathSeparator(path[1]) || path[1] == '?');
}

bool namesDevice(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; p++) {
    if (isPathSeparator(*p))
      name = p + 1;
  }
  // "C:NUL" names the device as "NUL" does.
  if (name == path && isalpha((unsigned char)name[0]) && name[1] == ':')
    name += 2;
  size_t base = strcspn(name, ".:");
  return isDeviceName(name, base);
}

ParentDirectory::ParentDirectory(const char* path) : isRoot_(false) {
  if (!path)
    throw AssertionFail("path != 0", "file", 60);
  if (isRootPath(path))
    throw PathIsRoot(path);
  if (rootLength(path) < 0)
    throw NotAPath(path);
  int end = strLen(path);
  if (end > 0 && isPathSeparator(path[end - 1]))
    end--;
  int sep = end - 1;
  while (sep >= 0 && !isPathSeparator(path[sep]))
    sep--;
  if (sep < 0)
    throw NotAPath(path);
  path_ = String::adopt(strDup(path, sep + 1));
  isRoot_ = isRootPath(path_.c_str());
}

String directoryOf(const char* path) {
  int root = rootLength(path);
  if (root > 0 && path[root] == 0)
    return String(path);
  int sep = strLen(path) - 1;
  while (sep >= 0 && !isPathSeparator(path[sep]))
    sep--;
  if (sep < 0)
    return String(".");
  if (root > 0 && sep < root) {
    // Inside the root: a drive root keeps its separator, a share does not.
    bool drive = path[1] == ':';
    int keep = drive ? root : (isPathSeparator(path[root - 1]) ? root - 1 : root);
    return String::adopt(strDup(path, keep));
  }
  if (sep == 0)
    return String::adopt(strDup(path, 1));
  return String::adopt(strDup(path, sep));
}

} // namespace plat
