// Settings from the registry at two priorities: an administrator's policy
// key beats the user's own key, which beats the built-in defaults.
#pragma once

#include "os/win/RegMonitor.h"

namespace plat {
class Configuration;
}

namespace os {

class RegPolicy {
public:
  // Applies the values it is told about to a group at one priority: each
  // value sets the parameter of its name (aliases and parent groups
  // included); a removed value removes that parameter's value.
  class RMCallback : public RegMonitor::Callback {
  public:
    RMCallback(plat::Configuration* group, int priority) : group_(group), priority_(priority) {}
    void begin() override {}
    void valueChanged(const char* name, const char* value) override;
    void valueRemoved(const char* name) override;
    void end() override {}

  private:
    plat::Configuration* group_;
    int priority_;
  };
};

// Reads "Software\Policies\<maker>\<product>" below root into group at
// priority 0 and "Software\<maker>\<product>" at priority 50. A key that
// cannot be read (typically: there is none) is logged through "RegPolicy";
// nothing is thrown.
void loadRegPolicy(plat::Configuration* group, HKEY root, const char* product,
                   const char* maker);

} // namespace os
