#include "rdr/OutStreamV4.h"

namespace rdr {

OutStreamV4::OutStreamV4(OutStream* underlying) : FramedOutStream(underlying, 32766, 2) {}

void OutStreamV4::writeFrameHdr(int length, bool lastFrame, bool firstFrame) {
  writeU16((uint16_t)((lastFrame ? 0x8000 : 0) | (length & 0x7FFF)));
}

} // namespace rdr
