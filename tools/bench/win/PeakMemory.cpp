#include "PeakMemory.h"

#include <windows.h>
#include <psapi.h>

uint64_t peakMemory() {
  PROCESS_MEMORY_COUNTERS counters;
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
    return 0;
  return counters.PeakWorkingSetSize;
}
