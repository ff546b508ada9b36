// The yardstick: the same number of bytes copied between two loopback
// sockets of this process, in sends of a given size.
#pragma once

#include <cstdint>

namespace peer {

// MB/s (10^6 bytes a second).
double rawLoopbackCopy(uint64_t bytes, int sendSize);

} // namespace peer
