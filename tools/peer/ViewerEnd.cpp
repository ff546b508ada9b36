#include "ViewerEnd.h"

#include "ferrin/win/Win32FileTransferManager.h"
#include "ft/FileProxy.h"
#include "ft/proxy/Extension.h"
#include "ft/proxy/win/SocketServer.h"
#include "io/win/TcpIo.h"
#include "io/win/WinsockManager.h"
#include "net/win/EventSocketManager.h"
#include "net/win/TcpSocket.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "plat/win/Handle.h"
#include "plat/win/Unicode.h"

#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <chrono>

namespace peer {

namespace {

// Save into the fetch folder, not onto the clipboard.
const uint32_t SaveIntoFolder = 1;

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

class FerrinProcess {
public:
  explicit FerrinProcess(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info;
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
      throw plat::SystemException("CreateProcess(ferrin)", (int)GetLastError());
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
  }
  ~FerrinProcess() {
    if (!ended(0))
      TerminateProcess(process_, 99);
  }
  bool ended(int ms) { return WaitForSingleObject(process_, ms) == WAIT_OBJECT_0; }
  uint64_t peakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process_, &counters, sizeof(counters)))
      return 0;
    return counters.PeakWorkingSetSize;
  }
  int exitCode() {
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return (int)code;
  }

private:
  plat::Handle process_;
};

// ferrin releases the share once every file of it is saved and closed: the
// end of the transfer, without looking at the folder while it fills.
class PeerExtension : public ft::proxy::Extension {
public:
  void releaseShare(rfb::MsgHandler* connection, uint32_t shareId) override {
    released = true;
    ft::proxy::Extension::releaseShare(connection, shareId);
  }
  bool released = false;
};

} // namespace

ViewerEnd::ViewerEnd(const std::wstring& ferrinPath, const std::string& logFile,
                     int timeoutSeconds)
    : ferrinPath_(ferrinPath), logFile_(logFile), timeoutSeconds_(timeoutSeconds) {}

RunResult ViewerEnd::run(const SourceTree& tree, const std::string& sourceRoot,
                         const std::string& fetchDir) {
  RunResult result;
  Listener listener;
  uint32_t cookie = GetTickCount() * 2654435761u ^ GetCurrentProcessId();
  wchar_t cookieText[16];
  swprintf(cookieText, 16, L"0x%08x", cookie);
  std::wstring commandLine = L"\"" + ferrinPath_ + L"\" " + cookieText + L" 127.0.0.1::" +
                             std::to_wstring(listener.port()) + L" -user 0 \"FetchDir=" +
                             wide(fetchDir) + L"\" \"LogFile=" + wide(logFile_) + L"\" " +
                             LogWithCounts;
  FerrinProcess ferrin(commandLine);

  SOCKET accepted = listener.accept(30000);
  if (accepted == INVALID_SOCKET) {
    result.problem = "ferrin did not connect";
    return result;
  }
  uint32_t received = 0;
  if (!readCookie(accepted, &received, 30000) || received != cookie) {
    closesocket(accepted);
    result.problem = "the connection did not start with the cookie";
    return result;
  }

  auto started = std::chrono::steady_clock::now();
  Counts before = ownCounts();
  {
    plat::EventManager events;
    plat::TimerManager timers;
    PeerExtension extension;
    ft::Win32FileTransferManager manager(&extension);
    ft::proxy::SocketServer server(&extension);
    net::EventSocketManager sockets(new io::WinsockManager);

    // The share is offered on the connections there are when it is made.
    sockets.addSocket(new net::TcpSocket(new io::TcpIo(accepted, true)), &server, false);
    ft::UploadManager& uploads = manager.uploadManager();
    uploads.newShare(0, SaveIntoFolder);
    for (ft::FileProxy* entry : tree.shareEntries())
      uploads.addFile(entry);
    uploads.listComplete();
    extension.refreshUploads(&uploads);

    FolderCheck check(sourceRoot, tree, fetchDir);
    auto deadline = started + std::chrono::seconds(timeoutSeconds_);
    for (;;) {
      int timeout = timers.processTimers();
      MSG msg;
      if (events.awaitEvent(&msg, timeout < 0 || timeout > 100 ? 100 : timeout)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      auto now = std::chrono::steady_clock::now();
      if (extension.released) {
        result.seconds = std::chrono::duration<double>(now - started).count();
        result.sender = difference(ownCounts(), before);
        // Its peak so far: once ferrin has ended it can no longer be read.
        result.peakWorkingSet = ferrin.peakWorkingSet();
        // What another process has just closed may take a moment to show.
        for (int attempt = 0; attempt < 50 && !result.ok; attempt++) {
          result.ok = check.verify(&result.problem);
          if (!result.ok)
            Sleep(100);
        }
        break;
      }
      if (ferrin.ended(0)) {
        result.problem = "ferrin ended before the files arrived";
        break;
      }
      if (now > deadline) {
        result.problem = "timed out waiting for the files";
        break;
      }
    }
    // Leaving the scope closes the connection.
  }
  if (!ferrin.ended(20000)) {
    if (result.ok)
      result.problem = "ferrin did not end when the connection closed";
    result.ok = false;
    return result;
  }
  result.exitCode = ferrin.exitCode();
  result.receiver = loggedCounts(logFile_);
  if (result.exitCode != 0 && result.ok) {
    result.ok = false;
    result.problem = "ferrin ended with exit code " + std::to_string(result.exitCode);
  }
  return result;
}

} // namespace peer
