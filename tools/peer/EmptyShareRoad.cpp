#include "EmptyShareRoad.h"

#include "FolderCheck.h"

#include <windows.h>

namespace peer {

namespace {

const uint32_t SaveIntoFolder = 1;

} // namespace

FetchResult fetchWithEmptyShareMidway(PeerSession& session, const SourceTree& tree,
                                      const std::string& sourceRoot, const std::string& fetchDir,
                                      int timeout) {
  FetchResult result;
  PeerExtension& peer = session.extension();
  uint32_t first = session.offer(tree.shareEntries(), SaveIntoFolder);
  // ferrin renews a window: the download is under way.
  if (!session.serveUntil([&] { return peer.renewals > 0; }, timeout, "the download to start",
                          &result.problem))
    return result;
  if (peer.hasReleased(first)) {
    result.problem = "the download ended before the empty share could be offered";
    return result;
  }
  uint32_t empty = session.offer({}, SaveIntoFolder);
  // ferrin lets both go: the empty one at once, the first once it is saved.
  if (!session.serveUntil([&] { return peer.hasReleased(empty); }, timeout,
                          "the empty share to be released", &result.problem))
    return result;
  if (peer.hasReleased(first)) {
    result.problem = "the download ended before ferrin had the empty share";
    return result;
  }
  if (!session.serveUntil([&] { return peer.hasReleased(first); }, timeout,
                          "the first share to be saved", &result.problem))
    return result;
  FolderCheck check(sourceRoot, tree, fetchDir);
  // What another process has just closed may take a moment to show.
  for (int attempt = 0; attempt < 50 && !result.ok; attempt++) {
    result.ok = check.verify(&result.problem);
    if (!result.ok)
      Sleep(100);
  }
  return result;
}

} // namespace peer
