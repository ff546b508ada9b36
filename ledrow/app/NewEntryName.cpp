#include "ledrow/app/NewEntryName.h"
#include "ledrow/book/FreeName.h"
#include "ledrow/book/SafeName.h"
#include "ledrow/data/FileOps.h"

namespace addrbook {

std::string newEntryPath(const char* folder, const char* server) {
  std::string name = server && *server ? safeFileName(server) : "New Entry";
  return freeEntryPath(std::string(folder) + PathSeparator + name);
}

} // namespace addrbook
