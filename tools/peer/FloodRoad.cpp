#include "FloodRoad.h"

#include "FolderCheck.h"

#include "ft/DownloadManager.h"
#include "ft/ShareProxy.h"
#include "ft/UploadManager.h"
#include "ft/win/ShareDownloader.h"

#include <cstring>
#include <deque>
#include <functional>

namespace peer {

namespace {

// A download that never grants a byte.
class Starving : public ft::DownloadManager::Stream {
public:
  uint64_t window() override { return 0; }
  void write(const uint8_t*, int) override { data = true; }
  void close(const char* message) override {
    closed = true;
    reason = message ? message : "";
  }

  bool data = false;
  bool closed = false;
  std::string reason;
};

// File numbers of the flood, clear of the share downloader's (the entries'
// indices).
const uint32_t FirstNumber = 1u << 24;

} // namespace

FloodResult floodRequests(PeerSession& session, const SourceTree& tree,
                          const std::string& sourceRoot, const std::string& fetchDir,
                          int requests, const Helpers& helpers) {
  FloodResult result;
  CopiedShare copied(session, sourceRoot, helpers);
  if (!copied.offered(&result.problem))
    return result;
  ft::ShareProxy* share = copied.share();
  const char* large = "large.bin";
  result.before = session.ferrinMemory();

  ft::DownloadManager* downloads = session.downloads();
  std::deque<Starving> flood(requests);
  // The peer gives up what is still open, whatever happens: the requests
  // must not outlive their sinks.
  struct GiveUp {
    std::function<void()> run;
    ~GiveUp() { run(); }
  } giveUp{[&] {
    for (int i = 0; i < requests; i++) {
      if (!flood[i].closed && session.connection())
        downloads->cancelDownload(ft::FileId(share->shareId(), FirstNumber + i));
    }
  }};
  for (int i = 0; i < requests; i++) {
    ft::FileId id(share->shareId(), FirstNumber + i);
    downloads->addStream(id, &flood[i]);
    downloads->requestFile(id, large, 0, ~(uint64_t)0);
  }
  session.extension().scheduleWriteMsg(session.connection());
  auto refused = [&] {
    int n = 0;
    for (const Starving& s : flood)
      n += s.closed;
    return n;
  };
  int bound = ft::UploadManager::MaxOpenUploads;
  bool answered = session.serveUntil([&] { return refused() >= requests - bound; },
                                     helpers.timeout, "the flood to be answered", &result.problem);
  // A moment more: nothing else may come.
  std::string idle;
  session.serveUntil([] { return false; }, 1, "a moment", &idle);
  result.after = session.ferrinMemory();
  result.refused = refused();
  result.open = requests - result.refused;
  if (!answered) {
    result.problem = "the flood was not answered: " + std::to_string(result.refused) +
                     " of " + std::to_string(requests) + " requests refused";
    return result;
  }
  for (const Starving& s : flood) {
    if (s.data) {
      result.problem = "data came without a window";
      return result;
    }
    if (s.closed && s.reason != "Too many files requested at once (" + std::to_string(bound) +
                                    " at most)") {
      result.problem = "a request was refused with \"" + s.reason + "\"";
      return result;
    }
  }
  if (result.open != bound) {
    result.problem = std::to_string(result.open) + " requests open, not " + std::to_string(bound);
    return result;
  }

  // The peer gives the flood up; ferrin serves the whole share.
  giveUp.run();
  FolderCheck check(sourceRoot, tree, fetchDir);
  ft::ShareDownloader downloader;
  downloader.download(share, fetchDir.c_str());
  if (!session.serveUntil([&] { return check.sizesArrived(); }, helpers.timeout,
                          "the files after the flood", &result.problem))
    return result;
  result.ok = check.verifySettled(&result.problem);
  return result;
}

} // namespace peer
