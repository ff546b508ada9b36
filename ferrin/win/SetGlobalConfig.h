// Turns every value of ferrin's settings key into a "Global" setting at
// priority 50. The key is read once at start-up, not watched.
#pragma once

#include "os/win/RegMonitor.h"

namespace ferrin {

class SetGlobalConfig : public os::RegMonitor::Callback {
public:
  void begin() override {}
  void valueChanged(const char* name, const char* value) override;
  void valueRemoved(const char*) override {}
  void end() override {}
};

} // namespace ferrin
