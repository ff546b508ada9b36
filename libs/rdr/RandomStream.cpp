#include "rdr/RandomStream.h"

namespace rdr {

RandomStream::RandomStream() : BufferedInStream(8) {}

int RandomStream::readData(uint8_t* buffer, int length) {
  source_.fill(buffer, length);
  return length;
}

} // namespace rdr
