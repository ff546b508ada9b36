// What one connection's recorded file-transfer messages (V4 framing, as
// they cross the link) carry, beside what one zlib stream at the default
// level, with a sync flush after each message, makes of the same
// compressed messages' data: the yardstick of the wire's size.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

struct WireFigures {
  uint64_t wireBytes = 0; // everything recorded, framing included
  uint64_t fileBytes = 0; // file data carried, inflated
  uint64_t deflated = 0;  // the data of the compressed messages
  uint64_t oneStream = 0; // the yardstick's output for the same messages
  uint64_t messages = 0;  // compressed messages
  // File bytes per wire byte.
  double ratio() const { return wireBytes ? (double)fileBytes / wireBytes : 0; }
  // The wire against the same messages with the yardstick's data.
  double againstOneStream() const;
};

// Reads the messages, inflating the compressed ones with one stream as the
// peer does; exits with a message when the wire does not read.
WireFigures measureWire(const std::vector<uint8_t>& wire);

} // namespace bench
