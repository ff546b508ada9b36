// Input streams: a window [ptr, end) of readable bytes that the reader
// consumes in place. Only when the window runs dry does overrun() refill it.
// A checkpoint marks where a reader may come back to: a reader that runs out
// of data in the middle of a message gets BlockException with the stream
// rewound to its checkpoint, and reads the whole message again later.
#pragma once

#include "rdr/Position.h"

#include <cstdint>

namespace rdr {

class InStream {
public:
  InStream(const InStream&) = delete;
  InStream& operator=(const InStream&) = delete;
  virtual ~InStream();

  // Bytes consumed from the start of the stream up to ptr.
  virtual int pos() = 0;
  virtual void checkpoint();
  virtual void rewind();
  // Goes to an absolute position at or after the checkpoint.
  virtual void reposition(int position);

  // Makes at least one byte readable, asking the stream for n. False (or,
  // with wait, BlockException) when the data is not there yet; the stream is
  // then back at its checkpoint.
  bool check(bool wait, int n);

  const uint8_t* getptr() const { return ptr; }
  const uint8_t* getend() const { return end; }
  int avail() const { return (int)(end - ptr); }
  // Moves ptr within the window.
  void setptr(const uint8_t* p);
  void skip(int n);

  // n consecutive bytes: in place when the window holds them, else copied
  // into buffer (which must hold n bytes).
  const uint8_t* readBytes(uint8_t* buffer, int n);
  uint8_t readU8();
  uint16_t readU16();
  uint32_t readU32();
  uint64_t readU64();
  // A 32-bit big-endian byte count and that many bytes; returns a new
  // NUL-terminated string that the caller frees with plat::strFree.
  char* readString(int maximumLength);

protected:
  InStream();
  // Makes bytes readable; false means they have not arrived yet.
  virtual bool overrun(int itemSize) = 0;

  const uint8_t* ptr;
  const uint8_t* end;
  const uint8_t* checkpointAt;
  int checkpointPos;
  bool rewindable;
};

} // namespace rdr
