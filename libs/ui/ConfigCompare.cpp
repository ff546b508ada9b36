#include "ui/ConfigCompare.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"

#include <cstring>

namespace ui {

static const char* text(const plat::String& s) { return s.c_str() ? s.c_str() : ""; }

bool compareConfig(const plat::Configuration* working, const plat::Configuration* saved,
                   ChangedParamWriter* writer) {
  bool changed = false;
  for (const plat::Configuration* group = working; group; group = group->getParent()) {
    for (plat::ConfigParameter* p = group->head(); p; p = p->next()) {
      plat::String value = p->getValueStr();
      plat::ConfigParameter* other = saved ? saved->get(p->getName()) : nullptr;
      if (other && strcmp(text(other->getValueStr()), text(value)) == 0)
        continue;
      if (!writer)
        return true;
      changed = true;
      writer->write(p->getName(), text(value));
    }
  }
  return changed;
}

} // namespace ui
