#include "win/FerrinProcess.h"

#include <stdexcept>

namespace ferrin_test {

static std::wstring ferrinPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  path = path.substr(0, path.find_last_of(L"\\/")); // tests folder
  path = path.substr(0, path.find_last_of(L"\\/")); // ferrin folder
  return path + L"\\ferrin.exe";
}

FerrinProcess::FerrinProcess(const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + ferrinPath() + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_))
    throw std::runtime_error("cannot start ferrin.exe");
}

FerrinProcess::~FerrinProcess() {
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

int FerrinProcess::wait(int ms) {
  if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0)
    return -1;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return (int)code;
}

Listener::Listener() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 0), &data);
  socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(socket_, (sockaddr*)&addr, sizeof(addr)) != 0 || listen(socket_, 5) != 0)
    throw std::runtime_error("cannot listen");
  int len = sizeof(addr);
  getsockname(socket_, (sockaddr*)&addr, &len);
  port_ = ntohs(addr.sin_port);
}

Listener::~Listener() { closesocket(socket_); }

static bool readable(SOCKET s, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv = {ms / 1000, (ms % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &tv) == 1;
}

SOCKET Listener::accept(int ms) {
  if (!readable(socket_, ms))
    return INVALID_SOCKET;
  return ::accept(socket_, nullptr, nullptr);
}

bool readExactly(SOCKET s, char* buf, int n, int ms) {
  DWORD deadline = GetTickCount() + ms;
  int got = 0;
  while (got < n) {
    int left = (int)(deadline - GetTickCount());
    if (left <= 0 || !readable(s, left))
      return false;
    int r = recv(s, buf + got, n - got, 0);
    if (r <= 0)
      return false;
    got += r;
  }
  return true;
}

bool waitClosed(SOCKET s, int ms) {
  DWORD deadline = GetTickCount() + ms;
  char buf[256];
  for (;;) {
    int left = (int)(deadline - GetTickCount());
    if (left <= 0 || !readable(s, left))
      return false;
    if (recv(s, buf, sizeof(buf), 0) <= 0)
      return true;
  }
}

} // namespace ferrin_test
