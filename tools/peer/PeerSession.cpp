#include "PeerSession.h"

#include "ft/UploadManager.h"
#include "io/win/FdIo.h"
#include "io/win/TcpIo.h"
#include "io/win/WinsockManager.h"
#include "net/win/TcpSocket.h"
#include "rdr/win/FdOutStream.h"
#include "plat/win/Unicode.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>

namespace peer {

namespace {

class Listener {
public:
  Listener() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ == INVALID_SOCKET || bind(socket_, (sockaddr*)&addr, sizeof(addr)) != 0 ||
        listen(socket_, 1) != 0)
      throw plat::SystemException("listen", WSAGetLastError());
    int len = sizeof(addr);
    getsockname(socket_, (sockaddr*)&addr, &len);
    port_ = ntohs(addr.sin_port);
  }
  ~Listener() { closesocket(socket_); }
  int port() const { return port_; }

  SOCKET accept(int ms) {
    if (!readable(socket_, ms))
      return INVALID_SOCKET;
    return ::accept(socket_, nullptr, nullptr);
  }

  static bool readable(SOCKET s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv = {ms / 1000, (ms % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &tv) == 1;
  }

private:
  SOCKET socket_;
  int port_;
};

bool readCookie(SOCKET s, uint32_t* cookie, int ms) {
  unsigned char bytes[4];
  int got = 0;
  while (got < 4) {
    if (!Listener::readable(s, ms))
      return false;
    int n = recv(s, (char*)bytes + got, 4 - got, 0);
    if (n <= 0)
      return false;
    got += n;
  }
  *cookie = (uint32_t)bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
  return true;
}

std::wstring wide(const std::string& s) {
  plat::WString w(s.c_str());
  return w.c_str();
}

} // namespace

void PeerExtension::shareCtrl(rfb::MsgHandler* connection, uint32_t shareId, uint8_t code,
                              uint32_t flags) {
  if (code == 0)
    advertisements++;
  ft::proxy::Extension::shareCtrl(connection, shareId, code, flags);
}

void PeerExtension::releaseShare(rfb::MsgHandler* connection, uint32_t shareId) {
  releases++;
  released.insert(shareId);
  ft::proxy::Extension::releaseShare(connection, shareId);
}

void PeerExtension::updateByteLimit(rfb::MsgHandler* connection, const ft::FileId& fileId,
                                    uint64_t upTo) {
  renewals++;
  ft::proxy::Extension::updateByteLimit(connection, fileId, upTo);
}

PeerSession::PeerSession(const std::wstring& ferrinPath, const std::string& logFile,
                         bool clipboardSharing, const std::wstring& settings)
    : ferrinPath_(ferrinPath), logFile_(logFile), clipboard_(clipboardSharing),
      settings_(settings) {}

PeerSession::~PeerSession() {
  // The sockets go first, while the engine is still there.
  sockets_.reset();
  server_.reset();
  manager_.reset();
  extension_.reset();
}

bool PeerSession::start(std::string* problem) {
  Listener listener;
  uint32_t cookie = GetTickCount() * 2654435761u ^ GetCurrentProcessId();
  wchar_t cookieText[16];
  swprintf(cookieText, 16, L"0x%08x", cookie);
  std::wstring commandLine = L"\"" + ferrinPath_ + L"\" " + cookieText + L" 127.0.0.1::" +
                             std::to_wstring(listener.port()) + L" -user " +
                             (clipboard_ ? L"1" : L"0") + L" \"LogFile=" + wide(logFile_) +
                             L"\" " + LogWithCounts + L" " + settings_;
  ferrin_.reset(new testing_support::ChildProcess(commandLine));

  SOCKET accepted = listener.accept(30000);
  if (accepted == INVALID_SOCKET) {
    *problem = "ferrin did not connect";
    return false;
  }
  uint32_t received = 0;
  if (!readCookie(accepted, &received, 30000) || received != cookie) {
    closesocket(accepted);
    *problem = "the connection did not start with the cookie";
    return false;
  }
  events_.reset(new plat::EventManager);
  timers_.reset(new plat::TimerManager);
  extension_.reset(new PeerExtension);
  manager_.reset(new ft::Win32FileTransferManager(extension_.get()));
  server_.reset(new ft::proxy::SocketServer(extension_.get()));
  sockets_.reset(new net::EventSocketManager(new io::WinsockManager));
  socket_ = new net::TcpSocket(new io::TcpIo(accepted, true));
  sockets_->addSocket(socket_, server_.get(), false);
  return true;
}

bool PeerSession::serveUntil(const std::function<bool()>& done, int seconds,
                             const char* waitingFor, std::string* problem) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  auto nextCheck = std::chrono::steady_clock::now();
  for (;;) {
    int timeout = timers_->processTimers();
    MSG msg;
    if (events_->awaitEvent(&msg, timeout < 0 || timeout > 20 ? 20 : timeout)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    auto now = std::chrono::steady_clock::now();
    if (now < nextCheck)
      continue;
    nextCheck = now + std::chrono::milliseconds(50);
    if (done())
      return true;
    if (ferrin_->ended(0)) {
      *problem = std::string("ferrin ended while waiting for ") + waitingFor;
      return false;
    }
    if (now > deadline) {
      *problem = std::string("timed out waiting for ") + waitingFor;
      return false;
    }
  }
}

PeerSession::Memory PeerSession::ferrinMemory() {
  Memory memory;
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (!ferrin_ || !GetProcessMemoryInfo(ferrin_->handle(), (PROCESS_MEMORY_COUNTERS*)&counters,
                                        sizeof(counters)))
    return memory;
  memory.workingSet = counters.WorkingSetSize;
  memory.peakWorkingSet = counters.PeakWorkingSetSize;
  memory.committed = counters.PagefileUsage;
  return memory;
}

void PeerSession::sendNow() {
  socket_->io()->outStream().flush();
}

bool PeerSession::finish(std::string* problem) {
  sockets_.reset();
  return ferrinEnds(problem);
}

bool PeerSession::reset(std::string* problem) {
  // Closed with no time to linger, the socket is reset.
  linger now = {1, 0};
  setsockopt(socket_->io()->asFdIo()->fd(), SOL_SOCKET, SO_LINGER, (const char*)&now,
             sizeof(now));
  sockets_.reset();
  return ferrinEnds(problem);
}

bool PeerSession::ferrinEnds(std::string* problem) {
  if (!ferrin_->ended(20000)) {
    *problem = "ferrin did not end when the connection closed";
    return false;
  }
  if (ferrin_->exitCode() != 0) {
    *problem = "ferrin ended with exit code " + std::to_string(ferrin_->exitCode());
    return false;
  }
  return true;
}

uint32_t PeerSession::offer(const std::vector<ft::FileProxy*>& files, uint32_t flags) {
  ft::UploadManager& up = uploads();
  uint32_t id = up.newShare(0, flags);
  for (ft::FileProxy* file : files)
    up.addFile(file);
  up.listComplete();
  extension_->refreshUploads(&up);
  return id;
}

} // namespace peer
