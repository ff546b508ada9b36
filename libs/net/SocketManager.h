// Joins sockets and their servers to the io layer of one thread.
#pragma once

namespace io {
class FdListener;
class FdAddressChanged;
} // namespace io

namespace net {

class Socket;
class SocketServer;

class SocketManager {
public:
  virtual ~SocketManager() {}
  // Connections accepted on the listener go to server as incoming sockets.
  virtual void addListener(io::FdListener* listener, SocketServer* server) = 0;
  // Throws "Listener not registered".
  virtual void removeListener(io::FdListener* listener) = 0;
  // The manager owns the socket from now on. A socket without an io is
  // connected to its target first; the server hears addSocket at once.
  virtual void addSocket(Socket* socket, SocketServer* server, bool outgoing) = 0;
  // False for an unknown listener.
  virtual bool watchAddressChanges(io::FdListener* listener, io::FdAddressChanged* callback) = 0;
};

} // namespace net
