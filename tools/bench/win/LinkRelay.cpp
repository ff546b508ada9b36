#include "LinkRelay.h"

#include <chrono>
#include <cstdio>

namespace bench {

namespace {

typedef std::chrono::steady_clock Clock;

// Bytes taken at once: about 2 ms of a link of 8 MiB/s.
const int Piece = 16384;
// Time a late wake may make up for: the thread wakes a little after its
// time, and the link would lose that time at every piece.
const Clock::duration Slack = std::chrono::milliseconds(5);

SOCKET loopbackSocket(int port, bool listen) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons((u_short)port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = listen ? bind(s, (sockaddr*)&address, sizeof(address)) == 0 && ::listen(s, 1) == 0
                   : connect(s, (sockaddr*)&address, sizeof(address)) == 0;
  if (!ok) {
    fprintf(stderr, "relay: socket error %d\n", WSAGetLastError());
    closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

bool sendAll(SOCKET to, const char* data, int length) {
  for (int sent = 0; sent < length;) {
    int done = send(to, data + sent, length - sent, 0);
    if (done <= 0)
      return false;
    sent += done;
  }
  return true;
}

// One way through the link: a piece read from one socket leaves for the
// other once the link has carried the pieces before it (when the link was
// idle, its own time after it came).
struct Direction {
  SOCKET from;
  SOCKET to;
  std::vector<uint8_t>* record;
  std::vector<char> piece = std::vector<char>(Piece);
  int pending = 0;
  bool open = true;
  Clock::time_point free = Clock::now();
  Clock::time_point due;

  void take(double rate) {
    int n = recv(from, piece.data(), Piece, 0);
    if (n <= 0) {
      open = false;
      shutdown(to, SD_SEND);
      return;
    }
    Clock::time_point now = Clock::now();
    if (free < now - Slack)
      free = now - Slack;
    free += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(n / rate));
    due = free;
    pending = n;
  }
  void deliver() {
    if (!sendAll(to, piece.data(), pending))
      open = false;
    else if (record)
      record->insert(record->end(), piece.data(), piece.data() + pending);
    pending = 0;
  }
};

} // namespace

LinkRelay::LinkRelay(int targetPort, double bytesPerSecond, std::vector<uint8_t>* record_)
    : rate(bytesPerSecond), record(record_), port_(0), stopping(false) {
  listening = loopbackSocket(0, true);
  sockaddr_in address = {};
  int length = sizeof(address);
  if (listening != INVALID_SOCKET && getsockname(listening, (sockaddr*)&address, &length) == 0)
    port_ = ntohs(address.sin_port);
  thread = std::thread([this, targetPort] { run(targetPort); });
}

LinkRelay::~LinkRelay() {
  stopping = true;
  // Wakes a wait for the connection.
  closesocket(listening);
  thread.join();
}

// One thread, both directions: blocking calls of two threads on one socket
// made Wine end the other end's connection.
void LinkRelay::run(int targetPort) {
  SOCKET taken = accept(listening, nullptr, nullptr);
  if (taken == INVALID_SOCKET)
    return;
  SOCKET onward = loopbackSocket(targetPort, false);
  if (onward == INVALID_SOCKET) {
    closesocket(taken);
    return;
  }
  Direction ways[2] = {{onward, taken, record}, {taken, onward, nullptr}};
  while (!stopping && (ways[0].open || ways[1].open)) {
    fd_set readable;
    FD_ZERO(&readable);
    Clock::time_point now = Clock::now();
    Clock::time_point wake = now + std::chrono::milliseconds(100);
    for (Direction& way : ways) {
      if (way.pending > 0 && way.due < wake)
        wake = way.due;
      else if (way.pending == 0 && way.open)
        FD_SET(way.from, &readable);
    }
    long long micros = std::chrono::duration_cast<std::chrono::microseconds>(wake - now).count();
    timeval timeout = {(long)(micros / 1000000), (long)(micros % 1000000)};
    if (micros < 0)
      timeout = {0, 0};
    if (readable.fd_count > 0)
      select(0, &readable, nullptr, nullptr, &timeout);
    else
      std::this_thread::sleep_until(wake);
    for (Direction& way : ways) {
      if (way.pending == 0 && way.open && FD_ISSET(way.from, &readable))
        way.take(rate);
      if (way.pending > 0 && way.due <= Clock::now())
        way.deliver();
    }
  }
  closesocket(taken);
  closesocket(onward);
}

} // namespace bench
