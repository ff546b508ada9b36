#include "ledrow/app/NewEntryName.h"
#include "ledrow/book/FreeName.h"
#include "ledrow/data/FileOps.h"
#include "plat/Exception.h"
#include "plat/SafeFileName.h"

namespace addrbook {

std::string newEntryName(const char* server) {
  return server && *server ? plat::safeFileName(server) : "New Entry";
}

std::string newEntryPath(const char* folder, const char* server) {
  std::string path = freeEntryPath(std::string(folder) + PathSeparator + newEntryName(server));
  if (path.empty())
    throw plat::Exception("Too many entries of that name exist");
  return path;
}

} // namespace addrbook
