// How a fuzz input is read by the stream fuzz targets: first the arrival
// schedule, then the bytes that arrive.
//   byte 0          number of cuts k (mod 17)
//   next 2k bytes   cut sizes, big-endian, mod 2048: after each cut the data
//                   so far is read until it would block
//   next byte       most bytes one read of the socket delivers (0: any),
//                   raised so that the wire arrives in at most MaxPieces
//                   reads: every read costs the reader a new window and
//                   checkpoint, and a long wire one byte at a time spent
//                   thousands of them on what a short wire explores as well
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
    size_t least = (wire.size() + MaxPieces - 1) / MaxPieces;
    if (maxChunk > 0 && (size_t)maxChunk < least)
      maxChunk = (int)least;
  }

  // Reading one byte at a time ends every byte in "would block" and a new
  // reading from the checkpoint, so the targets read only wires this short
  // that way.
  bool trickles() const { return wire.size() <= TrickleLimit; }

  static const size_t MaxPieces = 256;
  static const size_t TrickleLimit = 64;

  std::vector<size_t> cuts;
  int maxChunk;
  std::vector<uint8_t> wire;
};

} // namespace testing_support
