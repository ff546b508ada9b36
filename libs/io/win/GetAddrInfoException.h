#pragma once

#include "plat/Exception.h"

namespace io {

// A host name that did not resolve; err is getaddrinfo's code.
struct GetAddrInfoException : plat::SystemException {
  GetAddrInfoException(const char* text, int code) : plat::SystemException(text, code) {}
};

} // namespace io
