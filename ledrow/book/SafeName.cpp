#include "ledrow/book/SafeName.h"
#include "plat/String.h"

#include <cstring>

namespace addrbook {

namespace {

bool isForbidden(unsigned char c) { return c < 0x20 || strchr(":?/\\<>*|\"", c) != nullptr; }

// Windows opens these as devices in any folder and with any extension.
bool isDeviceName(const std::string& base) {
  static const char* const devices[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* device : devices)
    if (plat::strCaseCmp(base.c_str(), device) == 0)
      return true;
  return base.size() == 4 &&
         (plat::strCaseCmp(base.c_str(), "COM", 3) == 0 ||
          plat::strCaseCmp(base.c_str(), "LPT", 3) == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

} // namespace

std::string safeFileName(const char* name) {
  std::string safe = name;
  for (char& c : safe)
    if (isForbidden((unsigned char)c))
      c = '-';
  // Windows drops trailing dots and blanks: "a." would land on "a", ".."
  // on the parent folder.
  for (size_t i = safe.size(); i > 0 && (safe[i - 1] == '.' || safe[i - 1] == ' '); i--)
    safe[i - 1] = '-';
  size_t dot = safe.find('.');
  if (isDeviceName(safe.substr(0, dot)))
    safe.insert(dot == std::string::npos ? safe.size() : dot, "-");
  if (safe.empty())
    safe = "-";
  return safe;
}

} // namespace addrbook
