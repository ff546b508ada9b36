#include "ft/FormatRate.h"

#include "plat/String.h"

#include <cstdio>

namespace ft {

char* formatRate(uint64_t rate) {
  static const struct {
    int shift;
    const char* format;
  } units[] = {{40, "%i TB/s"}, {30, "%i GB/s"}, {20, "%i MB/s"}, {10, "%i KB/s"}};
  char text[32];
  snprintf(text, sizeof(text), "%i byte/s", (int)rate);
  for (const auto& unit : units) {
    if (rate >> unit.shift) {
      snprintf(text, sizeof(text), unit.format, (int)(rate >> unit.shift));
      break;
    }
  }
  return plat::strDup(text);
}

} // namespace ft
