#include "ferrin/DisplayPath.h"
#include "plat/String.h"

#include <cstring>

namespace ft {

char* displayPathFor(const char* path, const char* profile) {
  size_t n = profile ? strlen(profile) : 0;
  if (n && n < strlen(path) && strncmp(path, profile, n) == 0) {
    const char* rest = path + n;
    if (profile[n - 1] == '\\' || *rest == '\\') {
      if (*rest == '\\')
        rest++;
      if (*rest)
        return plat::strDup(rest);
    }
  }
  return plat::strDup(path);
}

} // namespace ft
