// A thread's socket set-up for tests and a socket server that records what
// it hears and exchanges framed messages (a 32-bit length and the text).
#pragma once

#include "io/win/FdListener.h"
#include "io/win/TcpIo.h"
#include "io/win/TcpTarget.h"
#include "io/win/WinsockManager.h"
#include "net/SocketServer.h"
#include "net/win/EventSocketManager.h"
#include "net/win/TcpSocket.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "rdr/Exception.h"
#include "rdr/InStreamV4.h"
#include "rdr/OutStreamV4.h"
#include "rdr/win/FdInStream.h"
#include "rdr/win/FdOutStream.h"
#include "testing/EventPump.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace net_testing {

class Recorder : public net::SocketServer {
public:
  struct Connection {
    std::string name;
    std::vector<std::string> seen;
    std::vector<std::string> messages;
    int connectError = 0;
    std::unique_ptr<rdr::InStreamV4> in;
    std::unique_ptr<rdr::OutStreamV4> out;
    bool removed = false;
  };

  // Every socket ever added, in order; kept after removal.
  std::vector<std::unique_ptr<Connection>> all;
  std::map<net::Socket*, Connection*> live;

  Connection* find(const std::string& name) {
    for (auto& c : all)
      if (c->name == name)
        return c.get();
    return nullptr;
  }
  Connection* last() { return all.empty() ? nullptr : all.back().get(); }
  net::Socket* socketOf(Connection* c) {
    for (auto& entry : live)
      if (entry.second == c)
        return entry.first;
    return nullptr;
  }
  int removedCount() const {
    int n = 0;
    for (auto& c : all)
      n += c->removed;
    return n;
  }

  void send(net::Socket* socket, const std::string& text) {
    Connection* c = live.at(socket);
    c->out->startMsg();
    c->out->writeU32((uint32_t)text.size());
    c->out->write(text.data(), (int)text.size());
    c->out->endMsg(true);
  }

  void addSocket(net::Socket* socket, bool outgoing) override {
    all.emplace_back(new Connection);
    Connection* c = all.back().get();
    c->name = (outgoing ? "out" : "in") + std::to_string(all.size());
    c->seen.push_back("added");
    live[socket] = c;
    if (socket->io())
      open(c, socket);
  }
  void connectFinished(net::Socket* socket) override {
    Connection* c = live.at(socket);
    c->seen.push_back(socket->io() ? "connected" : "connect failed");
    c->connectError = socket->connectError();
    if (socket->io())
      open(c, socket);
  }
  void socketReadable(net::Socket* socket) override {
    Connection* c = live.at(socket);
    note(c, "readable");
    try {
      for (;;) {
        c->in->startMsg();
        uint32_t length = c->in->readU32();
        std::string text(length, '\0');
        if (length) {
          uint8_t* buffer = (uint8_t*)&text[0];
          const uint8_t* bytes = c->in->readBytes(buffer, (int)length);
          if (bytes != buffer)
            memcpy(buffer, bytes, length);
        }
        c->in->endMsg();
        c->messages.push_back(text);
        if (onMessage)
          onMessage(socket, text);
      }
    } catch (rdr::BlockException&) {
    } catch (rdr::EndOfStream&) {
      socket->shutdownNoFlush();
    }
  }
  void socketWritable(net::Socket* socket) override { note(live.at(socket), "writable"); }
  void removeSocket(net::Socket* socket) override {
    Connection* c = live.at(socket);
    c->seen.push_back("removed");
    c->removed = true;
    c->in.reset();
    c->out.reset();
    live.erase(socket);
  }

  std::function<void(net::Socket*, const std::string&)> onMessage;

private:
  void open(Connection* c, net::Socket* socket) {
    c->in.reset(new rdr::InStreamV4(&socket->io()->inStream()));
    c->out.reset(new rdr::OutStreamV4(&socket->io()->outStream()));
  }
  // Repeated readiness is recorded once in a row.
  void note(Connection* c, const char* what) {
    if (c->seen.back() != what)
      c->seen.push_back(what);
  }
};

struct NetLoop : testing::Test {
  plat::EventManager events;
  plat::TimerManager timers;
  // Hears removeSocket when the socket manager goes; the listener is
  // unregistered by then.
  Recorder server;
  io::TcpListener listener{0, true};
  net::EventSocketManager sockets{new io::WinsockManager};

  bool pumpUntil(const std::function<bool()>& done, int ms = 10000) {
    return testing_support::pumpUntil(done, ms);
  }
  net::TcpSocket* connectTo(const char* host, int port) {
    auto* socket = new net::TcpSocket(new io::TcpTarget(host, port));
    sockets.addSocket(socket, &server, true);
    return socket;
  }
};

} // namespace net_testing
