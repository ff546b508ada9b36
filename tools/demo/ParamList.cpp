// Lists every setting of ferrin with its kind, default and description.
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"
#include "plat/win/AppInit.h"

#include <algorithm>
#include <cstdio>
#include <vector>

int main() {
  plat::appInit("ferrin", "*:file:0");
  std::vector<plat::ConfigParameter*> params;
  for (plat::ConfigParameter* p = plat::Configuration::global()->head(); p; p = p->next())
    params.push_back(p);
  std::sort(params.begin(), params.end(), [](auto* a, auto* b) {
    return plat::strCaseCmp(a->getName(), b->getName()) < 0;
  });
  printf("%zu settings in \"%s\":\n\n", params.size(), plat::Configuration::global()->getName());
  for (plat::ConfigParameter* p : params) {
    const char* kind = p->isBool() ? "Bool" : p->isInt() ? "Int" : "String";
    printf("%-28s %-6s default \"%s\"%s\n    %s\n", p->getName(), kind,
           p->getValueStr().c_str(), (p->getFlags() & plat::ConfigParameter::Advanced) ? " (advanced)" : "",
           p->getDescription());
  }
  return 0;
}
