// A TCP connect that tries every resolved address in turn without blocking
// the thread: each attempt is a non-blocking connect watched by the fd
// manager. It reports once (connected, failed or cancelled) and then deletes
// itself.
#pragma once

#include "io/IoConnector.h"
#include "io/IoHandler.h"
#include "io/win/GetAddrInfoException.h"
#include "plat/LogWriter.h"
#include "plat/String.h"
#include "plat/Timer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <deque>
#include <memory>
#include <set>

namespace io {

class TcpIo;

class TcpConnector : public IoConnector, public IoHandler, public plat::Timer::Callback {
public:
  // With a callback the first attempt runs from the thread's timers, after
  // the caller has stored the connector.
  TcpConnector(IoConnected* callback, const char* host, int port, int flags);
  ~TcpConnector() override;

  void rethrow() override;
  void cancel(bool keepCallback) override;

  // Appends an address to try (resolution does this for each result).
  void addAddress(const sockaddr* address, int length);

  // Takes the next address (resolving the host first when none is left)
  // and connects to it; moves on to the next address while one fails at
  // once. Returns a new io whose connect may still be in progress.
  TcpIo* attempt(bool nonBlocking);

  void readable(Io* io) override {}
  void writable(Io* io) override;
  void closed(Io* io) override;
  bool handleTimeout(plat::Timer* timer) override;

  // "TcpConnect": the log of connect attempts.
  static plat::LogWriter& log();

private:
  struct Address {
    sockaddr_storage address;
    int length;
  };
  void resolve();
  // Starts an attempt watched by the fd manager; false after saving the
  // failure.
  bool startAttempt();
  // Tells the callback and deletes the connector.
  void fail();

  IoConnected* callback_;
  plat::String host_;
  int port_;
  int flags_;
  std::deque<Address> addresses_;
  std::set<TcpIo*> pending_;
  std::unique_ptr<plat::SystemException> savedSystemError_;
  std::unique_ptr<GetAddrInfoException> savedResolveError_;
  plat::Timer startTimer_;
  plat::Timer finishTimer_;
};

} // namespace io
