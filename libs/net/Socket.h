// One connection as the program's own code sees it: an io once connected,
// the target to connect to while not, and the connect in progress.
#pragma once

namespace io {
class Io;
class IoTarget;
class IoConnector;
} // namespace io

namespace net {

class EndpointInfo;
class FdSocket;
class TcpSocket;

class Socket {
public:
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  // Shuts the io down without flush and without telling its handler.
  virtual ~Socket();

  virtual FdSocket* asFdSocket() { return nullptr; }
  virtual TcpSocket* asTcpSocket() { return nullptr; }
  // End the connection after (or without) sending the pending output; the
  // socket's server hears removeSocket.
  virtual void shutdown() = 0;
  virtual void shutdownNoFlush() = 0;
  virtual EndpointInfo& localEndpoint() = 0;
  virtual EndpointInfo& peerEndpoint() = 0;
  virtual void setTimeout(int ms);

  // Null until connected.
  io::Io* io() const { return io_; }
  void setIo(io::Io* io) { io_ = io; }
  io::IoTarget* ioTarget() const { return ioTarget_; }
  io::IoConnector* connector() const { return connector_; }
  void setConnector(io::IoConnector* connector) { connector_ = connector; }
  // The system error of a failed connect, else 0.
  int connectError() const { return connectError_; }
  void setConnectError(int error) { connectError_ = error; }

protected:
  // Takes ownership of io and target (either may be null).
  Socket(io::Io* io, io::IoTarget* target);

  io::Io* io_;
  io::IoTarget* ioTarget_;
  io::IoConnector* connector_;
  int connectError_;
};

} // namespace net
