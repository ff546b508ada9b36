// The connection's framing: a 16-bit big-endian header per frame, bit 15
// set on the last frame of a message, bits 14-0 the payload length. The
// writer puts at most 32766 payload bytes in a frame.
#pragma once

#include "rdr/FramedOutStream.h"

namespace rdr {

class OutStreamV4 : public FramedOutStream {
public:
  // The underlying stream is not owned.
  explicit OutStreamV4(OutStream* underlying);

protected:
  void writeFrameHdr(int length, bool lastFrame, bool firstFrame) override;
};

} // namespace rdr
