#include "EmptyShareRoad.h"

#include "FolderCheck.h"

namespace peer {

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
  result.ok = check.verifySettled(&result.problem);
  return result;
}

} // namespace peer
