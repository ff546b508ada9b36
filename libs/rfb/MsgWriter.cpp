#include "rfb/MsgWriter.h"

#include <cstring>

namespace rfb {

int MsgWriter::space(const char* extensionName) {
  int room = os->avail() - (int)strlen(extensionName) - 3;
  return room > 0 ? room : 0;
}

} // namespace rfb
