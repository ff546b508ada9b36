// ferrin's socket server: the engine's, plus whether the connection to the
// process that started ferrin is still there. The main loop ends when it is
// gone.
#pragma once

#include "ft/proxy/win/SocketServer.h"

namespace ferrin {

class FerrinSocketServer : public ft::proxy::SocketServer {
public:
  explicit FerrinSocketServer(ft::proxy::Extension* extension)
      : ft::proxy::SocketServer(extension), connected(false) {}

  void addSocket(net::Socket* socket, bool outgoing) override {
    connected = true;
    ft::proxy::SocketServer::addSocket(socket, outgoing);
  }
  void removeSocket(net::Socket* socket) override {
    connected = false;
    ft::proxy::SocketServer::removeSocket(socket);
  }

  bool connected;
};

} // namespace ferrin
