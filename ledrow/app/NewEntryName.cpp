#include "ledrow/app/NewEntryName.h"
#include "ledrow/book/FreeName.h"
#include "ledrow/data/FileOps.h"
#include "plat/Exception.h"
#include "plat/SafeFileName.h"

namespace addrbook {

std::string newEntryPath(const char* folder, const char* server) {
  std::string name = server && *server ? plat::safeFileName(server) : "New Entry";
  std::string path = freeEntryPath(std::string(folder) + PathSeparator + name);
  if (path.empty())
    throw plat::Exception("Too many entries of that name exist");
  return path;
}

} // namespace addrbook
