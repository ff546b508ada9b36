#include "os/win/SpecialFolder.h"
#include "plat/win/DynamicFn.h"
#include "plat/win/Unicode.h"

#include <shlobj.h>

#include <cwchar>
#include <string>

namespace os {

namespace {

const char* const NoFolder = "Cannot obtain default download directory.";

} // namespace

plat::String getSpecialFolderPath() {
  static plat::DynamicFnT<GetSpecialFolderPathFn> function("shell32", "SHGetSpecialFolderPathW");
  return getSpecialFolderPath(function.get());
}

plat::String getSpecialFolderPath(GetSpecialFolderPathFn function) {
  if (function) {
    wchar_t path[MAX_PATH + 1] = {};
    if (!function(nullptr, path, CSIDL_DESKTOP, FALSE))
      throw plat::Exception(NoFolder);
    return plat::String::adopt(plat::W2MB(path));
  }
  const wchar_t* variable = L"%userprofile%";
  wchar_t expanded[260];
  DWORD length = ExpandEnvironmentStringsW(variable, expanded, 260);
  // Unchanged: the variable is not set.
  if (length == 0 || length > 260 || wcscmp(expanded, variable) == 0)
    throw plat::Exception(NoFolder);
  plat::String profile = plat::String::adopt(plat::W2MB(expanded));
  std::string desktop = std::string(profile.c_str()) + "\\Desktop";
  return plat::String(desktop.c_str());
}

} // namespace os
