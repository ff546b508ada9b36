#include "ft/win/FetchDir.h"
#include "ft/Parameters.h"
#include "os/win/SpecialFolder.h"

#include <cstring>

namespace ft {

plat::String defaultFetchDir() {
  plat::String value = fetchDir.getValueStr();
  if (!value.isNull() && *value.c_str())
    return value;
  return os::getSpecialFolderPath();
}

bool fetchDirAsksEveryTime() {
  plat::String value = fetchDir.getValueStr();
  return !value.isNull() && strcmp(value.c_str(), "?") == 0;
}

} // namespace ft
