#include "ledrow/xml/FileOpen.h"

namespace xml {

FILE* openForReading(const char* path) {
  return fopen(path, "rb");
}

} // namespace xml
