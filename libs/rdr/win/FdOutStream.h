// The output half of a socket: a buffered stream drained by send(). Sends
// on a socket that may block are cut to half its send buffer so that one
// call never holds the thread for long; a stream that never waits (its fd
// manager made the socket non-blocking) hands all it has to one send.
#pragma once

#include "rdr/BufferedOutStream.h"

#include <winsock2.h>

namespace rdr {

class FdOutStream : public BufferedOutStream {
public:
  // timeout: milliseconds, negative for no limit. The socket is closed with
  // the stream only when closeOnDelete.
  FdOutStream(SOCKET fd, int timeout = -1, int bufferSize = 0, bool closeOnDelete = false);
  // Tries to write out what is pending first.
  ~FdOutStream() override;

  SOCKET getFd() const { return fd; }
  void setTimeout(int ms) { timeout = ms; }
  // Whether writeData ran since the flag was last cleared (the fd manager
  // pushes such streams before its thread sleeps).
  bool wasUsed() const { return used; }
  void clearUsed() { used = false; }
  int getSendChunk() const { return sendChunk; }

protected:
  int writeData(const uint8_t* buffer, int length, bool wait) override;
  int sendSize() const override;
  // One send, of at most sendSize() bytes.
  virtual int writeRaw(const uint8_t* buffer, int length);

private:
  SOCKET fd;
  bool closeOnDelete;
  int timeout;
  bool used;
  int sendChunk;
};

} // namespace rdr
