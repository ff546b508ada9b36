// An input stream over a block of memory: the block is all there is.
#pragma once

#include "rdr/InStream.h"

namespace rdr {

class MemInStream : public InStream {
public:
  // When owned, the block was allocated with new uint8_t[] and is freed here.
  MemInStream(const void* data, int length, bool owned = false);
  ~MemInStream() override;

  int pos() override { return (int)(ptr - start); }

protected:
  bool overrun(int itemSize) override;

private:
  const uint8_t* start;
  bool owned;
};

} // namespace rdr
