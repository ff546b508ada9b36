#include "RawCopy.h"

#include "plat/Exception.h"
#include "plat/win/StdioFile.h"
#include "plat/win/Unicode.h"

#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <fcntl.h>
#include <thread>
#include <vector>

namespace peer {

namespace {

struct LoopbackPair {
  SOCKET sender = INVALID_SOCKET;
  SOCKET receiver = INVALID_SOCKET;

  LoopbackPair() {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, (sockaddr*)&addr, sizeof(addr));
    listen(listener, 1);
    int len = sizeof(addr);
    getsockname(listener, (sockaddr*)&addr, &len);
    sender = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (connect(sender, (sockaddr*)&addr, sizeof(addr)) != 0) {
      closesocket(listener);
      throw plat::SystemException("raw copy: connect", WSAGetLastError());
    }
    receiver = accept(listener, nullptr, nullptr);
    closesocket(listener);
  }
  ~LoopbackPair() {
    closesocket(sender);
    closesocket(receiver);
  }
};

std::wstring wide(const std::string& s) {
  plat::WString w(s.c_str());
  return w.c_str();
}

} // namespace

int largestLoopbackSend() {
  LoopbackPair pair;
  u_long nonBlocking = 1;
  ioctlsocket(pair.sender, FIONBIO, &nonBlocking);
  std::vector<char> data(1 << 20, 'x');
  int n = send(pair.sender, data.data(), (int)data.size(), 0);
  return n > 0 ? n : 65536;
}

double rawLoopbackCopy(uint64_t bytes, int sendSize, int receiveSize, const std::string& file) {
  LoopbackPair pair;
  plat::FileDescriptor out;
  if (!file.empty())
    out.open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC);
  auto started = std::chrono::steady_clock::now();
  std::thread reading([&] {
    std::vector<char> buf(receiveSize);
    uint64_t got = 0;
    while (got < bytes) {
      int n = recv(pair.receiver, buf.data(), (int)buf.size(), 0);
      if (n <= 0)
        break;
      got += n;
      for (int done = 0; out.get() >= 0 && done < n;)
        done += out.write(buf.data() + done, n - done);
    }
  });
  std::vector<char> data(sendSize, 'x');
  for (uint64_t sent = 0; sent < bytes;) {
    int n = (int)std::min<uint64_t>(sendSize, bytes - sent);
    int w = send(pair.sender, data.data(), n, 0);
    if (w <= 0)
      break;
    sent += w;
  }
  reading.join();
  out.close();
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!file.empty()) DeleteFileW(wide(file).c_str());
  return bytes / seconds / 1e6;
}

double plainFileLoop(const SourceTree& tree, const std::string& root) {
  std::vector<char> data(1 << 20, 'x');
  FILETIME stamp = {0x12345678, 0x01D00000};
  auto started = std::chrono::steady_clock::now();
  for (const std::string& folder : tree.folders())
    CreateDirectoryW(wide(root + "\\" + folder).c_str(), nullptr);
  for (const SourceFile& f : tree.files()) {
    HANDLE h = CreateFileW(wide(root + "\\" + f.relativePath).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      throw plat::SystemException("plain loop: CreateFileW", (int)GetLastError());
    DWORD written = 0;
    if (f.size)
      WriteFile(h, data.data(), (DWORD)std::min<uint64_t>(f.size, data.size()), &written, nullptr);
    SetFileTime(h, nullptr, nullptr, &stamp);
    CloseHandle(h);
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return tree.files().size() / seconds;
}

} // namespace peer
