// Names of kernel objects (events, mutexes) shared between processes of the
// same program family. A name meant for every session carries the "Global\"
// prefix, but only where the system has that namespace: older systems would
// take the prefix as part of a local name.
#pragma once

#include "plat/String.h"

namespace os {

class EventName {
public:
  // Uses the version record's hasGlobalNamespace (Windows only).
  EventName(const char* baseName, bool global);
  // The portable core: hasGlobalNamespace says whether "Global\" is known.
  // A null baseName gives "" unless the prefix applies, where it is a
  // broken invariant.
  EventName(const char* baseName, bool global, bool hasGlobalNamespace);

  const char* str() const { return name_.c_str(); }

private:
  plat::String name_;
};

} // namespace os
