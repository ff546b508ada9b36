// How a fuzz input is read by the stream fuzz targets: first the arrival
// schedule, then the bytes that arrive.
//   byte 0          number of cuts k (mod 17)
//   next 2k bytes   cut sizes, big-endian, mod 2048: after each cut the data
//                   so far is read until it would block
//   next byte       most bytes one read of the socket delivers (0: any)
//   the rest        the bytes on the wire
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testing_support {

struct FuzzSchedule {
  FuzzSchedule(const uint8_t* data, size_t size) {
    size_t at = 0;
    auto next = [&]() -> unsigned { return at < size ? data[at++] : 0; };
    unsigned k = next() % 17;
    for (unsigned i = 0; i < k; i++) {
      unsigned high = next();
      cuts.push_back((high << 8 | next()) % 2048);
    }
    maxChunk = (int)next();
    if (at < size)
      wire.assign(data + at, data + size);
  }

  std::vector<size_t> cuts;
  int maxChunk;
  std::vector<uint8_t> wire;
};

} // namespace testing_support
