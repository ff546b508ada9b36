#include "viewerconfig/Substitutes.h"
#include "plat/String.h"

namespace viewerconfig {

bool substituteMenuKey(const char* name, const char** value, bool toParameter) {
  if (plat::strCaseCmp(name, "MenuKey") != 0)
    return false;
  if (toParameter && plat::strCaseCmp(*value, "none") == 0)
    *value = "";
  else if (!toParameter && !**value)
    *value = "none";
  return true;
}

bool substituteScaling(const char* name, const char** value, bool toParameter) {
  if (plat::strCaseCmp(name, "Scaling") != 0)
    return false;
  if (toParameter)
    return true;
  plat::TokenCursor pieces(*value);
  while (const char* piece = pieces.next(','))
    if (plat::strCaseCmp(piece, "None") == 0)
      *value = "None";
  return true;
}

} // namespace viewerconfig
