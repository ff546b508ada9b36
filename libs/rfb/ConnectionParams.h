// What one connection has agreed with its peer: the protocol version and the
// extensions switched on.
#pragma once

#include <set>
#include <string>

namespace rfb {

struct ConnectionParams {
  int majorVersion = 0;
  int minorVersion = 0;
  std::set<std::string> extensions;

  bool hasExtension(const char* name) const { return extensions.count(name) != 0; }
};

} // namespace rfb
