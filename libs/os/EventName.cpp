#include "os/EventName.h"
#include "plat/Assert.h"
#include "plat/DString.h"

namespace os {

EventName::EventName(const char* baseName, bool global, bool hasGlobalNamespace) {
  plat::DString name;
  if (global && hasGlobalNamespace) {
    if (!baseName)
      plat::assertionFailed("baseName", "EventName", 29);
    name.append("Global\\");
  }
  if (baseName) {
    name.append("Torvane.Ostrel.");
    name.append(baseName);
  }
  name_ = name.c_str();
}

} // namespace os
