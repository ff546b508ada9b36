#include "rdr/InStreamV4.h"

namespace rdr {

InStreamV4::InStreamV4(InStream* underlying) : FramedInStream(underlying) {}

void InStreamV4::readFrameHdr(int* frameSize, bool* lastFrame, bool firstFrame) {
  uint16_t header = underlying->readU16();
  *frameSize = header & 0x7FFF;
  *lastFrame = (header & 0x8000) != 0;
}

} // namespace rdr
