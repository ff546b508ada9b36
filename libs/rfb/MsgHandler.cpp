#include "rfb/MsgHandler.h"

#include "rfb/ConnCloseException.h"

namespace rfb {

void MsgHandler::setExtension(const char* name, bool enabled) {
  if (enabled)
    cp.extensions.insert(name);
  else
    cp.extensions.erase(name);
}

void MsgHandler::close(const char* text, int code) {
  throw ConnCloseException(text, code);
}

} // namespace rfb
