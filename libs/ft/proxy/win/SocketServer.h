// Drives the file-transfer extension over sockets: each socket becomes a
// connection of the extension, its framed input is read into messages, and
// the extension writes whenever the socket can take output. A protocol
// error closes that socket only.
//
// Lives on the thread of the socket manager and the extension (the main
// thread). With an event manager on that thread it also wakes the extension
// for write cycles asked for elsewhere, and lets the sinks write what they
// hold just before the thread waits (else after each batch of messages
// read): the writes of a file then gather many batches; the write cycles
// they ask for run then too, before the wait. What the
// extension writes early while a batch is read (the next files' requests,
// renewals) leaves before the batch's end.
//
// Its block handler must run before the fd manager's (io::WinsockManager),
// which pushes out what was written and tells the socket writable again:
// make the server first, since block handlers run in the order they were
// added.
#pragma once

#include "ft/Extension.h"
#include "ft/proxy/Extension.h"
#include "net/SocketServer.h"
#include "plat/win/EventManager.h"
#include "plat/win/Handle.h"

#include <map>
#include <memory>

namespace rdr {
class OutStreamV4;
} // namespace rdr

namespace ft {
namespace proxy {

class MsgReceiver;

class SocketServer : public net::SocketServer,
                     private plat::EventHandler,
                     private plat::BlockHandler,
                     private ft::Extension::Waker,
                     private ft::Extension::Closer {
public:
  // The extension is not owned and must outlive the server.
  explicit SocketServer(Extension* extension);
  ~SocketServer() override;

  // The socket must be connected already.
  void addSocket(net::Socket* socket, bool outgoing) override;
  void removeSocket(net::Socket* socket) override;
  void socketReadable(net::Socket* socket) override;
  void socketWritable(net::Socket* socket) override;

  // The connection of a socket, or null.
  Extension::Connection* connectionOf(net::Socket* socket);

private:
  struct Record {
    std::unique_ptr<rdr::OutStreamV4> out;
    std::unique_ptr<MsgReceiver> receiver;
    std::unique_ptr<Extension::Connection> connection;
  };

  void processEvent(HANDLE event) override;
  void beforeBlock(int* timeoutMs) override;
  void wake() override;
  // The write cycles asked for since the last wake, and their output.
  void runRequestedWrites();
  void flushOutput(net::Socket* socket);
  // In a catch block: logs the failure and closes that socket only (an
  // entry point from the event loop lets nothing through).
  void closeFailed(net::Socket* socket, const char* what);
  // Shuts the connection's socket down.
  void closeConnection(rfb::MsgHandler* connection) override;

  Extension* extension;
  std::map<net::Socket*, Record> sockets;
  plat::Handle wakeEvent;
  plat::EventManager* eventManager;
};

} // namespace proxy
} // namespace ft
