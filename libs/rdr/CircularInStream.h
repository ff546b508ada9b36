// A ring buffer read as an input stream: one producer writes into it, one
// reader consumes it. The ring never overwrites bytes from the reader's
// checkpoint on, so the reader can rewind at any time; a producer that would
// have to gets Overflow instead. The caller keeps both sides on one thread
// or serialises them.
#pragma once

#include "rdr/InStream.h"
#include "plat/Exception.h"

namespace rdr {

class CircularInStream : public InStream {
public:
  struct Overflow : plat::Exception {
    Overflow() : plat::Exception("Overflow") {}
  };

  explicit CircularInStream(int size);
  ~CircularInStream() override;

  int pos() override { return wrapPos(offset + (ptr - buffer)); }
  void checkpoint() override;
  void rewind() override;

  // Producer side: all of data, or Overflow and nothing.
  void write(const void* data, int length);
  // No more data will come: the reader meets the end of stream once the
  // ring is drained.
  void close() { closed = true; }
  // Room for the producer.
  int space() const;

protected:
  bool overrun(int itemSize) override;

private:
  int size;
  int64_t offset;
  uint8_t* buffer;
  uint8_t* writeAt;
  bool closed;
  bool readerWrapped;
  bool writerWrapped;
};

} // namespace rdr
