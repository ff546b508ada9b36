#include "plat/CurrentTime.h"

#include <atomic>

namespace plat {

static std::atomic<ClockFunction> clock;

int64_t currentTime() {
  ClockFunction f = clock.load(std::memory_order_relaxed);
  return f ? f() : systemTime();
}

ClockFunction setClock(ClockFunction f) { return clock.exchange(f); }

} // namespace plat
