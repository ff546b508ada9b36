// The main window's place as the "geometry" setting holds it: "WxH+X+Y".
#pragma once

#include <string>

namespace addrbook {

struct Geometry {
  int width = 400;
  int height = 400;
  int left = 100;
  int top = 100;
};

// The defaults, replaced by as many of the four numbers as text gives in
// order (so "640x480" sets only the size).
Geometry parseGeometry(const char* text);
std::string formatGeometry(const Geometry& geometry);

} // namespace addrbook
