// An input stream that refills a fixed buffer from readData(). Everything
// from the checkpoint on stays in the buffer, so a reader can always rewind
// to its checkpoint; bytes before it are dropped when room is needed.
#pragma once

#include "rdr/InStream.h"

namespace rdr {

class BufferedInStream : public InStream {
public:
  ~BufferedInStream() override;

  int pos() override { return wrapPos(offset + (ptr - buffer)); }
  // Dumps every chunk that readData delivers to standard error.
  void setTrace(bool on) { trace = on; }
  // Whether the last fill got less than the room it offered: the source
  // held nothing more then (a socket says when new data comes).
  // expectMore() forgets it.
  virtual bool drained() const { return drained_; }
  void expectMore() { drained_ = false; }

protected:
  // bufferSize 0: the default, 16800 bytes.
  explicit BufferedInStream(int bufferSize = 0);
  bool overrun(int itemSize) override;
  // Reads at most length bytes into buffer; 0 means it would block.
  virtual int readData(uint8_t* buffer, int length) = 0;

private:
  int bufferSize;
  int64_t offset;
  uint8_t* buffer;
  bool trace;
  bool drained_;
};

} // namespace rdr
