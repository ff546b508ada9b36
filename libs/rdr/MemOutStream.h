// An output stream into a growing block of memory, optionally capped.
#pragma once

#include "rdr/OutStream.h"

namespace rdr {

class MemOutStream : public OutStream {
public:
  // maximum 0: no limit; otherwise writing past it raises OutStreamFull.
  explicit MemOutStream(int initialSize = 1024, int maximum = 0);
  ~MemOutStream() override;

  void write(const void* data, int length) override;
  int length() override { return (int)(ptr - start); }
  int avail() override { return 2147483647; }
  int overrun(int itemSize, int nItems) override;

  const uint8_t* data() const { return start; }
  // Forgets the contents, keeping the block.
  void clear() { ptr = start; }

private:
  uint8_t* start;
  int size;
  int maximum;
};

} // namespace rdr
