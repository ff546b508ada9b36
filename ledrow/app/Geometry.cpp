#include "ledrow/app/Geometry.h"

#include <cstdio>

namespace addrbook {

Geometry parseGeometry(const char* text) {
  Geometry g;
  if (text)
    sscanf(text, "%ix%i+%i+%i", &g.width, &g.height, &g.left, &g.top);
  return g;
}

std::string formatGeometry(const Geometry& g) {
  char text[64];
  snprintf(text, sizeof(text), "%ix%i+%i+%i", g.width, g.height, g.left, g.top);
  return text;
}

} // namespace addrbook
