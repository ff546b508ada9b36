// An output stream that collects bytes in a buffer and hands them to
// writeData(). On a busy connection the buffer doubles, up to the
// MaxOutBufferSize setting, before a writer ever waits for the peer.
#pragma once

#include "rdr/OutStream.h"
#include "rdr/Position.h"

#include <cstddef>

namespace rdr {

class BufferedOutStream : public OutStream {
public:
  ~BufferedOutStream() override;

  int length() override { return wrapPos(offset + (ptr - start)); }
  // Writes all pending bytes (without waiting when noWait is set).
  void flush() override;
  int avail() override;
  int overrun(int itemSize, int nItems) override;

  // Writes pending bytes; false when it would block with some still pending.
  bool flushSome(bool wait);
  // Once the bytes written since the last whole send fill one (three
  // quarters of the buffer, or less when writeData takes less at a time),
  // holds them back while writeData would take them with the next ones in
  // one call, up to four buffers, and the buffer's room starts afresh;
  // otherwise writes all pending bytes. Not again once the stream would
  // block, until a later write succeeds.
  void flushWhole() override;
  void flushHeld() override;
  bool hasPending() const { return ptr != sentUpTo; }
  // Bytes handed to writeData so far.
  int64_t sentLength() const { return offset + (sentUpTo - start); }
  // Whether at least a whole send (as flushWhole() counts) is pending.
  bool wholeSendPending() const { return ptr - sentUpTo >= wholeSend(); }
  // The last attempt to write would have blocked, and nothing went since.
  bool isBlocked() const { return blocked; }
  // Set by the owner of the socket when it must never wait inside a write.
  void setNoWait(bool on) { noWait = on; }
  void setTrace(bool on) { trace = on; }

protected:
  // bufferSize 0: the default, 16384 bytes.
  explicit BufferedOutStream(int bufferSize = 0);
  // Writes at most length bytes from buffer and returns how many it took;
  // 0 only without wait, meaning it would block.
  virtual int writeData(const uint8_t* buffer, int length, bool wait) = 0;
  // The most writeData takes in one call.
  virtual int sendSize() const { return bufferSize; }
  bool neverWaits() const { return noWait; }

private:
  // Hands [sentUpTo, ptr) to writeData while at least minimum bytes are
  // pending, until it takes none; true when all of it went.
  bool writePending(bool wait, std::ptrdiff_t minimum = 1);
  // writeData took n more bytes.
  void sent(int n);
  // Nothing is pending: the buffer starts afresh.
  void reset();
  // Moves the pending bytes to the front of the buffer, the bytes since the
  // last whole send keeping their room.
  void moveToFront();
  // Holds the pending whole send back for the next one, when they would
  // leave in one call.
  bool holdBack();
  // The first byte written since the last whole send not yet handed on.
  uint8_t* unitStart() const { return unit > sentUpTo ? unit : sentUpTo; }
  // What flushWhole() sends at least.
  int wholeSend() const;
  // Moves the pending bytes to the front of a buffer of newSize bytes.
  void resize(int64_t newSize);

  // The room of the bytes since the last whole send, and what is allocated.
  int bufferSize;
  int64_t capacity;
  int64_t offset;
  uint8_t* start;
  uint8_t* sentUpTo;
  // Where the bytes since the last whole send begin; the whole sends held
  // back lie before it, and only while nothing of them was sent.
  uint8_t* unit;
  bool noWait;
  bool trace;
  bool blocked;
};

} // namespace rdr
