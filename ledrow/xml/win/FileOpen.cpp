#include "ledrow/xml/FileOpen.h"

#include "plat/win/File.h"

namespace xml {

FILE* openForReading(const char* path) {
  return plat::fileTryOpen(path, "rb");
}

} // namespace xml
