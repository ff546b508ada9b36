#include "ledrow/book/FreeName.h"
#include "ledrow/data/FileOps.h"

namespace addrbook {

std::string freeEntryPath(const std::string& base) {
  for (int i = 0; i <= MaxNameSuffix; i++) {
    std::string path = base;
    if (i)
      path += " (" + std::to_string(i) + ")";
    path += ".kiv";
    if (!fileExists(path.c_str()))
      return path;
  }
  return "";
}

} // namespace addrbook
