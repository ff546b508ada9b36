#include "ferrin/win/SetGlobalConfig.h"
#include "plat/ConfigParameter.h"
#include "plat/Configuration.h"

namespace ferrin {

void SetGlobalConfig::valueChanged(const char* name, const char* value) {
  // Values naming no setting, or not valid for it, are left out; the
  // setting keeps its default.
  plat::Configuration::global()->set(name, value, plat::PriorityUser);
}

} // namespace ferrin
