// A link of limited speed between two local sockets, such as the
// remote-desktop connection that the two ends' bytes really cross: it
// takes one connection, connects it on to the target port, and carries
// each direction's bytes no faster than its rate. What it carries toward
// the connection it took may be recorded. It runs on a thread of its own.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace bench {

class LinkRelay {
public:
  // Listens at once; record (may be null) is written by the relay's thread
  // until the relay goes.
  LinkRelay(int targetPort, double bytesPerSecond, std::vector<uint8_t>* record);
  LinkRelay(const LinkRelay&) = delete;
  LinkRelay& operator=(const LinkRelay&) = delete;
  // Ends the link and waits for its thread.
  ~LinkRelay();

  // Where to connect.
  int port() const { return port_; }

private:
  void run(int targetPort);

  double rate;
  std::vector<uint8_t>* record;
  SOCKET listening;
  int port_;
  std::atomic<bool> stopping;
  std::thread thread;
};

} // namespace bench
