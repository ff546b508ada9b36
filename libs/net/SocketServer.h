// The object that handles the traffic of connections. Each socket it is
// given is heard of exactly once through addSocket and once through
// removeSocket; all calls come on the socket manager's thread.
#pragma once

namespace net {

class Socket;

class SocketServer {
public:
  virtual ~SocketServer() {}
  // outgoing: a connection this end made (possibly still connecting).
  virtual void addSocket(Socket* socket, bool outgoing) = 0;
  // The socket is deleted right after.
  virtual void removeSocket(Socket* socket) = 0;
  virtual void socketReadable(Socket* socket) = 0;
  virtual void socketWritable(Socket* socket) {}
  // An outgoing connect ended: with an io, or without one and with
  // connectError set (removeSocket follows then).
  virtual void connectFinished(Socket* socket) {}
};

} // namespace net
