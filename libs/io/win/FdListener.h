// A listening socket registered with the thread's fd manager. TcpListener
// listens on a TCP port of the loopback address or of every address.
#pragma once

#include <winsock2.h>

namespace io {

class FdIo;
class FdManager;
class IoAcceptor;
class FdAddressChanged;

class FdListener {
public:
  // Takes over a socket that listens already.
  explicit FdListener(SOCKET fd);
  FdListener(const FdListener&) = delete;
  FdListener& operator=(const FdListener&) = delete;
  // Leaves the fd manager and closes the socket.
  virtual ~FdListener();

  // The next waiting connection as a new io (not registered), or null when
  // none waits.
  virtual FdIo* accept();

  // Registers with the thread's fd manager (null leaves it).
  void setAcceptor(IoAcceptor* acceptor);
  void watchAddressChanges(FdAddressChanged* callback);

  SOCKET fd() const { return fd_; }

protected:
  FdListener();
  void setSocket(SOCKET fd);
  // Wraps an accepted socket.
  virtual FdIo* newIo(SOCKET fd);

private:
  SOCKET fd_;
  FdManager* manager_;
};

class TcpListener : public FdListener {
public:
  // port 0 takes any free port. Throws plat::SystemException.
  TcpListener(int port, bool loopbackOnly);
  int port() const { return port_; }

protected:
  FdIo* newIo(SOCKET fd) override;

private:
  int port_;
};

} // namespace io
