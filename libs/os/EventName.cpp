#include "os/EventName.h"
#include "plat/Assert.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"

namespace os {

// Service mode has no messages of its own (its names are made here); the
// writer is kept for the Log settings that name it, which would otherwise
// stop there.
static plat::LogWriter serviceLog("Service");

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
