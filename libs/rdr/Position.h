// Stream positions are reported in 32 bits, as callers expect, but a whole
// file passes through a stream: counters are kept in 64 bits and positions
// wrap modulo 2^32. Differences of wrapped positions stay right within 2 GiB.
#pragma once

#include <cstdint>

namespace rdr {

inline int wrapPos(int64_t position) {
  return (int)(uint32_t)(uint64_t)position;
}

} // namespace rdr
