// The socket manager of one thread over its fd manager: each socket gets a
// wrapper that is its io's handler (and, while connecting, its connect
// callback) and turns io events into calls of the socket's server.
#pragma once

#include "net/SocketManager.h"

#include <set>

namespace io {
class FdManager;
} // namespace io

namespace net {

class SelectSocketManager : public SocketManager {
public:
  // Takes ownership of ioManager; with none, makes an FdSelectManager
  // without selector. Becomes the thread's socket manager.
  explicit SelectSocketManager(io::FdManager* ioManager = nullptr);
  // Every server hears removeSocket for its remaining sockets, which are
  // deleted; then the fd manager goes.
  ~SelectSocketManager() override;

  static SelectSocketManager* threadInstanceOrNull();

  void addListener(io::FdListener* listener, SocketServer* server) override;
  void removeListener(io::FdListener* listener) override;
  void addSocket(Socket* socket, SocketServer* server, bool outgoing) override;
  bool watchAddressChanges(io::FdListener* listener, io::FdAddressChanged* callback) override;

  io::FdManager* ioManager() const { return ioManager_; }

private:
  class IoWrapper;
  class ListenerWrapper;
  void checkThread(int line) const;

  std::set<ListenerWrapper*> listenerWrappers_;
  std::set<IoWrapper*> ioWrappers_;
  io::FdManager* ioManager_;
  SelectSocketManager* previous_;
};

} // namespace net
