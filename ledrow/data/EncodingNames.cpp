#include "ledrow/data/EncodingNames.h"
#include "plat/String.h"

#include <cstdint>

namespace addrbook {

namespace {

const struct {
  int32_t number;
  const char* name;
} encodings[] = {
    {0, "Raw"},
    {1, "CopyRect"},
    {2, "RRE"},
    {5, "Hextile"},
    {6, "Zlib"},
    {15, "TRLE"},
    {16, "ZRLE"},
    {21, "JPEG"},
    {22, "JRLE"},
    {-239, "Cursor"},
    {-311, "CursorWithAlpha"},
    {-223, "DesktopSize"},
    {7, "[3rd-party Tight]"},
    {8, "[3rd-party Zlibhex]"},
    {17, "[3rd-party HitachiZYWRLE]"},
};

} // namespace

int encodingNumber(const char* name) {
  if (!name)
    return -1;
  for (const auto& e : encodings)
    if (plat::strCaseCmp(e.name, name) == 0)
      return e.number;
  return -1;
}

} // namespace addrbook
