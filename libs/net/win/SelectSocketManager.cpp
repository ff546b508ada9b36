#include "net/win/SelectSocketManager.h"
#include "io/IoConnector.h"
#include "io/IoHandler.h"
#include "io/win/FdIo.h"
#include "io/win/FdListener.h"
#include "io/win/FdManager.h"
#include "net/FdSocket.h"
#include "net/SocketServer.h"
#include "net/win/TcpSocket.h"
#include "plat/Assert.h"
#include "plat/LogWriter.h"

namespace net {

static plat::LogWriter vlog("SelectSocketManager");

static thread_local SelectSocketManager* current;

// Owns its socket; lives until the socket's io closes, its connect fails or
// is cancelled, or the manager goes.
class SelectSocketManager::IoWrapper : public io::IoHandler, public io::IoConnected {
public:
  IoWrapper(Socket* socket, SocketServer* server, SelectSocketManager* manager)
      : socket_(socket), server_(server), manager_(manager) {
    vlog.debug("IoWrapper %p for %p", this, socket_);
    manager_->ioWrappers_.insert(this);
    try {
      if (socket_->io()) {
        socket_->io()->setHandler(this, true);
      } else {
        if (!socket_->ioTarget())
          plat::assertionFailed("sock->ioTarget()", "SelectSocketManager", __LINE__);
        socket_->setConnector(socket_->ioTarget()->connectAsync(this));
      }
    } catch (...) {
      manager_->ioWrappers_.erase(this);
      throw;
    }
  }

  ~IoWrapper() override {
    manager_->ioWrappers_.erase(this);
    Socket* socket = socket_;
    delete socket;
    vlog.debug("~IoWrapper %p for %p", this, socket);
  }

  void readable(io::Io*) override { server_->socketReadable(socket_); }
  void writable(io::Io*) override { server_->socketWritable(socket_); }
  void closed(io::Io*) override { close(); }

  void connected(io::IoConnector*, io::Io* io) override {
    if (!io->asFdIo())
      plat::assertionFailed("io->asFdIo()", "SelectSocketManager", __LINE__);
    socket_->setConnector(nullptr);
    socket_->setIo(io);
    io->setHandler(this, true);
    server_->connectFinished(socket_);
  }

  void connectFailed(io::IoConnector* connector) override {
    try {
      connector->rethrow();
    } catch (plat::SystemException& e) {
      socket_->setConnectError(e.err);
    }
    socket_->setConnector(nullptr);
    server_->connectFinished(socket_);
    close();
  }

  void connectCancelled(io::IoConnector*) override { close(); }

  // The server hears of the socket's end, then the socket goes.
  void close() {
    server_->removeSocket(socket_);
    delete this;
  }

private:
  Socket* socket_;
  SocketServer* server_;
  SelectSocketManager* manager_;
};

class SelectSocketManager::ListenerWrapper : public io::IoAcceptor, public io::FdAddressChanged {
public:
  ListenerWrapper(io::FdListener* listener, SocketServer* server, SelectSocketManager* manager)
      : listener_(listener), server_(server), addressCallback_(nullptr), manager_(manager) {
    vlog.debug("ListenerWrapper %p", this);
    listener_->setAcceptor(this);
    manager_->listenerWrappers_.insert(this);
  }

  ~ListenerWrapper() override {
    manager_->listenerWrappers_.erase(this);
    listener_->setAcceptor(nullptr);
    vlog.debug("~ListenerWrapper %p", this);
  }

  void accept(io::FdListener*, io::FdIo* io) override {
    Socket* socket;
    if (io::TcpIo* tcpIo = io->asTcpIo())
      socket = new TcpSocket(tcpIo);
    else
      socket = new FdSocket(io, nullptr);
    manager_->addSocket(socket, server_, false);
  }

  void addressChanged(io::FdListener* listener) override {
    if (addressCallback_)
      addressCallback_->addressChanged(listener);
  }

  void watch(io::FdAddressChanged* callback) {
    addressCallback_ = callback;
    listener_->watchAddressChanges(this);
  }

  io::FdListener* listener() const { return listener_; }

private:
  io::FdListener* listener_;
  SocketServer* server_;
  io::FdAddressChanged* addressCallback_;
  SelectSocketManager* manager_;
};

SelectSocketManager::SelectSocketManager(io::FdManager* ioManager)
    : ioManager_(ioManager ? ioManager : new io::FdSelectManager), previous_(current) {
  current = this;
}

SelectSocketManager::~SelectSocketManager() {
  while (!ioWrappers_.empty())
    (*ioWrappers_.begin())->close();
  while (!listenerWrappers_.empty())
    delete *listenerWrappers_.begin();
  delete ioManager_;
  if (current == this)
    current = previous_;
}

SelectSocketManager* SelectSocketManager::threadInstanceOrNull() { return current; }

void SelectSocketManager::checkThread(int line) const {
  if (current != this)
    plat::assertionFailed("threadInstanceOrNull() == this", "SelectSocketManager", line);
}

void SelectSocketManager::addListener(io::FdListener* listener, SocketServer* server) {
  checkThread(__LINE__);
  new ListenerWrapper(listener, server, this);
}

void SelectSocketManager::removeListener(io::FdListener* listener) {
  checkThread(__LINE__);
  for (ListenerWrapper* wrapper : listenerWrappers_) {
    if (wrapper->listener() == listener) {
      delete wrapper;
      return;
    }
  }
  throw plat::Exception("Listener not registered");
}

void SelectSocketManager::addSocket(Socket* socket, SocketServer* server, bool outgoing) {
  checkThread(__LINE__);
  if (!socket->asFdSocket())
    plat::assertionFailed("s", "SelectSocketManager", __LINE__);
  try {
    new IoWrapper(socket, server, this);
  } catch (plat::Exception&) {
    // Owned from the call on, even when it never reached the server.
    delete socket;
    throw;
  }
  server->addSocket(socket, outgoing);
}

bool SelectSocketManager::watchAddressChanges(io::FdListener* listener,
                                              io::FdAddressChanged* callback) {
  checkThread(__LINE__);
  for (ListenerWrapper* wrapper : listenerWrappers_) {
    if (wrapper->listener() == listener) {
      wrapper->watch(callback);
      return true;
    }
  }
  return false;
}

} // namespace net
