#include "ft/Win32SanitizePathCallback.h"

#include "plat/SafeFileName.h"
#include "plat/String.h"

#include <cstring>
#include <string>

namespace ft {

char* Win32SanitizePathCallback::sanitize(const char* relativePath) {
  std::string out;
  const char* piece = relativePath ? relativePath : "";
  for (;;) {
    const char* slash = strchr(piece, '/');
    std::string part(piece, slash ? (size_t)(slash - piece) : strlen(piece));
    if (!part.empty()) {
      if (!out.empty())
        out += '/';
      out += plat::safeFileName(part);
    }
    if (!slash)
      break;
    piece = slash + 1;
  }
  if (out.empty())
    out = "-";
  return plat::strDup(out.c_str());
}

} // namespace ft
