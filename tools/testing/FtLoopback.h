// Two file-transfer engines on one thread, joined by a loopback TCP
// connection the way ferrin is joined to its peer: each engine behind its
// own proxy socket server, all sockets on the thread's socket manager.
// Needs testing/EventPump.cpp.
#pragma once

#include "testing/EventPump.h"
#include "testing/FtEngine.h"

#include "ft/proxy/win/SocketServer.h"
#include "io/win/FdListener.h"
#include "io/win/TcpIo.h"
#include "io/win/TcpTarget.h"
#include "io/win/WinsockManager.h"
#include "net/win/EventSocketManager.h"
#include "net/win/TcpSocket.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"

namespace testing_support {

struct LoopbackEngines {
  plat::EventManager events;
  plat::TimerManager timers;
  Engine a;
  Engine b;
  ft::proxy::SocketServer serverA{&a.extension};
  ft::proxy::SocketServer serverB{&b.extension};
  io::TcpListener listener{0, true};
  // Goes first: every socket is removed (its server hears so) while the
  // engines are still there.
  net::EventSocketManager sockets{new io::WinsockManager};
  net::Socket* socketA = nullptr;

  LoopbackEngines() { sockets.addListener(&listener, &serverB); }

  // Connects a to b, as ferrin connects: at once, then handed to the
  // socket manager. True once b has its end too.
  bool connect(int ms = 10000) {
    io::TcpIo* io = io::TcpTarget("127.0.0.1", listener.port()).connect();
    socketA = new net::TcpSocket(io);
    sockets.addSocket(socketA, &serverA, true);
    return pumpUntil([&] { return b.connection() != nullptr; }, ms);
  }
};

} // namespace testing_support
