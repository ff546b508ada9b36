// Names from the other end, through the sanitiser and the download paths:
// whatever comes in, the local path stays below the download folder. Names
// arrive no longer than the message reader takes them; longer inputs only
// cost time, each prefix of a name being checked on its own.
#include "ft/DownloadPaths.h"
#include "ft/PduType.h"
#include "ft/Win32SanitizePathCallback.h"
#include "plat/SafeFileName.h"
#include "plat/String.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace {

// Some paths exist, so that the clash step runs too.
bool someExist(const char* path) { return std::hash<std::string_view>()(path) % 3 == 0; }

bool safeComponent(const std::string& part) {
  if (part.empty() || part.back() == '.' || part.back() == ' ')
    return false;
  size_t dot = part.find('.');
  if (plat::isDeviceName(part.data(), dot == std::string::npos ? part.size() : dot))
    return false;
  for (char c : part) {
    if ((unsigned char)c < 32 || strchr("\"*:<>?\\|/", c))
      return false;
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > ft::MaxStringLength)
    return 0;
  std::string name((const char*)data, size);
  name = name.c_str(); // a received name ends at its first NUL
  ft::Win32SanitizePathCallback sanitizer;
  std::string clean = plat::String::adopt(sanitizer.sanitize(name.c_str())).c_str();
  // The same rules for one whole name, as a folder or entry name takes them.
  if (!safeComponent(plat::safeFileName(name)))
    abort();
  size_t start = 0;
  for (;;) {
    size_t slash = clean.find('/', start);
    if (!safeComponent(clean.substr(start, slash == std::string::npos ? slash : slash - start)))
      abort();
    if (slash == std::string::npos)
      break;
    start = slash + 1;
  }
  ft::DownloadPaths paths("C:\\dl", someExist);
  try {
    paths.checkClashes(clean, 5);
  } catch (plat::Exception&) {
    return 0; // too many clashes
  }
  std::string local = paths.localPath(clean).c_str();
  if (local.compare(0, 6, "C:\\dl\\") != 0 || local.find(':', 2) != std::string::npos ||
      local.find("\\..\\") != std::string::npos)
    abort();
  return 0;
}
