// Thrown to end a connection: the text says why, the code is the reason the
// protocol gives the peer.
#pragma once

#include "plat/Exception.h"

namespace rfb {

struct ConnCloseException : plat::Exception {
  ConnCloseException(const char* text, int code) : plat::Exception(text), code(code) {}
  int code;
};

} // namespace rfb
