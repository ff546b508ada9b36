// The input half of a socket: a buffered stream filled by recv(). It waits
// for data in select() unless noWait is set (by the fd manager, which never
// lets a stream wait on its thread).
#pragma once

#include "rdr/BufferedInStream.h"

#include <winsock2.h>

namespace rdr {

class FdInStream : public BufferedInStream {
public:
  // timeout: milliseconds, -1 for no limit. The socket is closed with the
  // stream only when closeOnDelete.
  FdInStream(SOCKET fd, int timeout = -1, int bufferSize = 0, bool closeOnDelete = false,
             bool noWait = false);
  ~FdInStream() override;

  SOCKET getFd() const { return fd; }
  void setTimeout(int ms) { timeout = ms; }
  void setNoWait(bool on) { noWait = on; }
  // The peer has closed: no readable event will come again, so the stream
  // is never drained before its end has been read.
  void peerClosed() { closed = true; }
  bool drained() const override { return !closed && BufferedInStream::drained(); }

protected:
  int readData(uint8_t* buffer, int length) override;
  // One recv.
  virtual int readRaw(uint8_t* buffer, int length);

private:
  SOCKET fd;
  bool closeOnDelete;
  bool noWait;
  int timeout;
  bool closed;
};

} // namespace rdr
