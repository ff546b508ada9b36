// Output streams: a window [ptr, end) of room that the writer fills in
// place. Only when the window is full does overrun() drain or grow it.
#pragma once

#include <cstdint>

namespace rdr {

class OutStream {
public:
  OutStream(const OutStream&) = delete;
  OutStream& operator=(const OutStream&) = delete;
  virtual ~OutStream();

  virtual void write(const void* data, int length);
  // Total bytes written through the stream so far (wraps modulo 2^32).
  virtual int length() = 0;
  // Pushes buffered bytes out.
  virtual void flush() {}
  // Pushes out what fills whole sends, without waiting; the rest stays
  // buffered for flush(). Nothing in streams without a send size.
  virtual void flushWhole() {}
  // Pushes out, without waiting, whole sends that flushWhole() held back
  // for the next ones, with what follows them.
  virtual void flushHeld() {}
  // Bytes that can be written without waiting.
  virtual int avail() = 0;
  // Makes room for at least one item of itemSize bytes and returns how many
  // of the nItems items now fit.
  virtual int overrun(int itemSize, int nItems) = 0;

  uint8_t* getptr() const { return ptr; }
  uint8_t* getend() const { return end; }
  // Commits the bytes written in place up to p.
  void setptr(uint8_t* p);

  void writeU8(uint8_t value);
  void writeU16(uint16_t value);
  void writeU32(uint32_t value);
  void writeU64(uint64_t value);
  // A 32-bit big-endian byte count and the bytes; null is written as "".
  void writeString(const char* text);

protected:
  OutStream();

  uint8_t* ptr;
  uint8_t* end;
};

} // namespace rdr
