#include "RawCopy.h"

#include "plat/Exception.h"

#include <winsock2.h>

#include <chrono>
#include <thread>
#include <vector>

namespace peer {

double rawLoopbackCopy(uint64_t bytes, int sendSize) {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener, (sockaddr*)&addr, sizeof(addr));
  listen(listener, 1);
  int len = sizeof(addr);
  getsockname(listener, (sockaddr*)&addr, &len);
  SOCKET sender = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (connect(sender, (sockaddr*)&addr, sizeof(addr)) != 0)
    throw plat::SystemException("raw copy: connect", WSAGetLastError());
  SOCKET receiver = accept(listener, nullptr, nullptr);
  closesocket(listener);

  auto started = std::chrono::steady_clock::now();
  std::thread reading([&] {
    std::vector<char> buf(1 << 16);
    uint64_t got = 0;
    while (got < bytes) {
      int n = recv(receiver, buf.data(), (int)buf.size(), 0);
      if (n <= 0)
        break;
      got += n;
    }
  });
  std::vector<char> data(sendSize, 'x');
  for (uint64_t sent = 0; sent < bytes;) {
    int n = (int)std::min<uint64_t>(sendSize, bytes - sent);
    int w = send(sender, data.data(), n, 0);
    if (w <= 0)
      break;
    sent += w;
  }
  reading.join();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  closesocket(sender);
  closesocket(receiver);
  return bytes / seconds / 1e6;
}

} // namespace peer
