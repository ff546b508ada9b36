#include "rfb/MsgWriter.h"

#include <cstring>

namespace rfb {

rdr::OutStream* MsgWriter::startExtMsg(const char* extensionName) {
  size_t length = strlen(extensionName);
  if (length > 255)
    length = 255;
  startMsg(ExtensionMsgType);
  os->writeU8((uint8_t)length);
  os->write(extensionName, (int)length);
  return os;
}

int MsgWriter::space(const char* extensionName) {
  int room = os->avail() - (int)strlen(extensionName) - 3;
  return room > 0 ? room : 0;
}

} // namespace rfb
