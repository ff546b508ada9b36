// The time base of timers and time-outs: UTC as a signed count of 100 ns
// units since 1 January 1601 (a Windows file time).
#pragma once

#include <cstdint>

namespace plat {

enum : int64_t { TimeUnitsPerMs = 10000 };

// The clock in force: the system clock unless a test replaced it.
int64_t currentTime();

// The system's own clock (the platform seam).
int64_t systemTime();

// Replaces the clock, process-wide, so that tests can set it back or move it
// forward; null restores the system clock. Returns the previous one.
typedef int64_t (*ClockFunction)();
ClockFunction setClock(ClockFunction clock);

} // namespace plat
