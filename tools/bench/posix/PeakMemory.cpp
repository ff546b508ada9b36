#include "PeakMemory.h"

#include <sys/resource.h>

uint64_t peakMemory() {
  struct rusage usage;
  if (getrusage(RUSAGE_SELF, &usage) != 0)
    return 0;
  return (uint64_t)usage.ru_maxrss * 1024; // kilobytes on Linux
}
