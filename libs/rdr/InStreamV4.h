// Reads the connection's framing (see OutStreamV4): any 15-bit payload
// length is accepted.
#pragma once

#include "rdr/FramedInStream.h"

namespace rdr {

class InStreamV4 : public FramedInStream {
public:
  // The underlying stream is not owned.
  explicit InStreamV4(InStream* underlying);

protected:
  void readFrameHdr(int* frameSize, bool* lastFrame, bool firstFrame) override;
};

} // namespace rdr
