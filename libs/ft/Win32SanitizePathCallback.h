// Names from the other end made safe for a Windows file system: empty
// components are dropped and every other '/'-separated component goes
// through plat::safeFileName; a name left empty becomes "-". The result
// never has an empty, "." or ".." component.
#pragma once

#include "ft/SanitizePathCallback.h"

namespace ft {

class Win32SanitizePathCallback : public SanitizePathCallback {
public:
  char* sanitize(const char* relativePath) override;
};

} // namespace ft
