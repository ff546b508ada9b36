// The most memory the process has held so far, in bytes: the peak working
// set on Windows, the peak resident set natively.
#pragma once

#include <cstdint>

uint64_t peakMemory();
