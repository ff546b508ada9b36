#include "ResetRoad.h"

#include "ft/DownloadManager.h"
#include "ft/ShareProxy.h"

#include <windows.h>

#include <cstring>

namespace peer {

namespace {

// Grants a window of the whole file, and is never read into.
class Granting : public ft::DownloadManager::Stream {
public:
  explicit Granting(uint64_t room) : room(room) {}
  uint64_t window() override { return room; }
  void write(const uint8_t*, int) override {}
  void close(const char*) override {}

  uint64_t room;
};

} // namespace

CopyResult resetWhileOutputWaits(PeerSession& session, const std::string& sourceRoot,
                                 const Helpers& helpers) {
  CopyResult result;
  CopiedShare copied(session, sourceRoot, helpers);
  if (!copied.offered(&result.problem))
    return result;
  ft::ShareProxy* share = copied.share();
  uint32_t index = 0;
  while (index < share->size() && strcmp((*share)[index]->name.c_str(), "large.bin") != 0)
    index++;
  if (index == share->size()) {
    result.problem = "large.bin is not in ferrin's share";
    return result;
  }
  uint64_t size = (*share)[index]->size;
  Granting sink(size);
  ft::FileId id(share->shareId(), index);
  ft::DownloadManager* downloads = session.downloads();
  downloads->addStream(id, &sink);
  downloads->requestFile(id, "large.bin", 0, ~(uint64_t)0);
  session.extension().scheduleWriteMsg(session.connection());
  // The request goes, and the peer reads nothing more: the socket fills,
  // and ferrin's output waits.
  session.sendNow();
  Sleep(1500);
  result.ok = session.reset(&result.problem);
  return result;
}

} // namespace peer
