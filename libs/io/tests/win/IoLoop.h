// A thread's io set-up for tests (event manager, timers, Winsock manager) and
// recorders for what the io layer reports.
#pragma once

#include "io/IoConnector.h"
#include "io/IoHandler.h"
#include "io/win/FdIo.h"
#include "io/win/GetAddrInfoException.h"
#include "io/win/WinsockManager.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "testing/EventPump.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace io_testing {

struct ConnectResult : io::IoConnected {
  std::vector<std::string> seen;
  io::Io* io = nullptr;
  bool resolveFailed = false;
  int error = 0;
  std::string message;

  void connected(io::IoConnector*, io::Io* io_) override {
    seen.push_back("connected");
    io = io_;
  }
  void connectFailed(io::IoConnector* connector) override {
    seen.push_back("failed");
    try {
      connector->rethrow();
    } catch (io::GetAddrInfoException& e) {
      resolveFailed = true;
      error = e.err;
      message = e.str();
    } catch (plat::SystemException& e) {
      error = e.err;
      message = e.str();
    }
  }
  void connectCancelled(io::IoConnector*) override { seen.push_back("cancelled"); }
  bool done() const { return !seen.empty(); }
};

struct Accepted : io::IoAcceptor {
  std::vector<io::FdIo*> ios;
  void accept(io::FdListener*, io::FdIo* io) override { ios.push_back(io); }
};

struct Handler : io::IoHandler {
  std::vector<std::string> seen;
  std::function<void(io::Io*)> onReadable;
  std::function<void(io::Io*)> onWritable;
  int closedCount = 0;

  void readable(io::Io* io) override {
    seen.push_back("readable");
    if (onReadable)
      onReadable(io);
  }
  void writable(io::Io* io) override {
    seen.push_back("writable");
    if (onWritable)
      onWritable(io);
  }
  void closed(io::Io*) override {
    seen.push_back("closed");
    closedCount++;
  }
};

struct IoLoop : testing::Test {
  plat::EventManager events;
  plat::TimerManager timers;
  // Handlers of ios that the Winsock manager may still clean up when it
  // goes: they must outlive it.
  Handler handler;
  Handler other;
  io::WinsockManager winsock;

  bool pumpUntil(const std::function<bool()>& done, int ms = 10000) {
    return testing_support::pumpUntil(done, ms);
  }
};

} // namespace io_testing
