#include "plat/CurrentTime.h"

#include <time.h>

namespace plat {

// Seconds from 1 January 1601 to the Unix epoch.
static const int64_t EpochOffset = 11644473600LL;

int64_t systemTime() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return (ts.tv_sec + EpochOffset) * 10000000 + ts.tv_nsec / 100;
}

} // namespace plat
