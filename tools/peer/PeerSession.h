// The viewer's part, as far as ferrin sees it: listen on loopback, start
// ferrin with a cookie, the endpoint, the mode word and the clipboard flag,
// check the cookie, then run our own engine on the connection.
#pragma once

#include "CallCounts.h"

#include "ferrin/win/Win32FileTransferManager.h"
#include "ft/proxy/Extension.h"
#include "ft/proxy/win/SocketServer.h"
#include "net/win/EventSocketManager.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "testing/ChildProcess.h"

#include <winsock2.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace peer {

// The flag of a share to be saved into the fetch folder (not the clipboard).
const uint32_t SaveIntoFolder = 1;

// The peer's extension, counting what ferrin sends it.
class PeerExtension : public ft::proxy::Extension {
public:
  void shareCtrl(rfb::MsgHandler* connection, uint32_t shareId, uint8_t code,
                 uint32_t flags) override;
  void updateByteLimit(rfb::MsgHandler* connection, const ft::FileId& fileId,
                       uint64_t upTo) override;
  void releaseShare(rfb::MsgHandler* connection, uint32_t shareId) override;

  int advertisements = 0; // shares ferrin offered
  int renewals = 0;       // byte limits ferrin renewed
  int releases = 0;       // shares ferrin let go (a download saved and closed)
  std::set<uint32_t> released; // their ids

  bool hasReleased(uint32_t shareId) const { return released.count(shareId) != 0; }
};

class PeerSession {
public:
  // ferrin's log goes to logFile; settings: further arguments for ferrin.
  PeerSession(const std::wstring& ferrinPath, const std::string& logFile, bool clipboardSharing,
              const std::wstring& settings);
  ~PeerSession();

  // Starts ferrin and takes its connection. False, with the problem, when
  // it does not connect or the cookie is wrong.
  bool start(std::string* problem);
  // Serves the connection until done() holds; false, with the problem, when
  // ferrin ends or the time is up first.
  bool serveUntil(const std::function<bool()>& done, int seconds, const char* waitingFor,
                  std::string* problem);
  // Sends what the peer's engine has written, without reading anything.
  void sendNow();
  // Closes the connection; false, with the problem, unless ferrin then ends
  // with 0.
  bool finish(std::string* problem);
  // The same with a reset instead of an orderly close: what ferrin still
  // sends fails.
  bool reset(std::string* problem);

  PeerExtension& extension() { return *extension_; }
  ft::UploadManager& uploads() { return manager_->uploadManager(); }
  // The current remote share (a reference for the caller), or null.
  ft::ShareProxy* currentShare() { return extension_->getCurrentShare(); }
  bool ferrinEnded() { return ferrin_ && ferrin_->ended(0); }
  // ferrin's memory now, in bytes (0 once it has ended).
  struct Memory {
    uint64_t workingSet = 0;
    uint64_t peakWorkingSet = 0;
    uint64_t committed = 0; // private bytes
  };
  Memory ferrinMemory();
  uint64_t ferrinPeakWorkingSet() { return ferrinMemory().peakWorkingSet; }
  // The system calls ferrin logged as it ended (after finish).
  Counts ferrinCounts() const { return loggedCounts(logFile_); }
  DWORD ferrinProcessId() const { return ferrin_ ? ferrin_->processId() : 0; }
  rfb::MsgHandler* connection() { return server_->connectionOf(socket_); }
  // The peer's download side of the connection.
  ft::DownloadManager* downloads() { return extension_->downloadManagerFor(connection()); }

  // A share of the files (ownership passes) with the flags, offered.
  uint32_t offer(const std::vector<ft::FileProxy*>& files, uint32_t flags);

private:
  // After the connection has gone: false, with the problem, unless ferrin
  // ends with 0.
  bool ferrinEnds(std::string* problem);

  std::wstring ferrinPath_;
  std::string logFile_;
  bool clipboard_;
  std::wstring settings_;
  std::unique_ptr<testing_support::ChildProcess> ferrin_;
  // The engine, in the order it is made.
  std::unique_ptr<plat::EventManager> events_;
  std::unique_ptr<plat::TimerManager> timers_;
  std::unique_ptr<PeerExtension> extension_;
  std::unique_ptr<ft::Win32FileTransferManager> manager_;
  std::unique_ptr<ft::proxy::SocketServer> server_;
  std::unique_ptr<net::EventSocketManager> sockets_;
  net::Socket* socket_ = nullptr;
};

} // namespace peer
