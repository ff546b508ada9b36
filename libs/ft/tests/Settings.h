// Sets a parameter for the length of one test.
#pragma once

#include "plat/ConfigParameter.h"

namespace testing_support {

template <typename Param, typename Value> class Setting {
public:
  Setting(Param& param, Value value) : param(param) { param.setValue(value, plat::PriorityUser); }
  ~Setting() { param.removeValue(plat::PriorityUser); }

private:
  Param& param;
};

template <typename Param, typename Value> Setting<Param, Value> setting(Param& p, Value v) {
  return Setting<Param, Value>(p, v);
}

} // namespace testing_support
