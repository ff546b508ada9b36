#include "FetchRoad.h"

#include "FolderCheck.h"

#include <chrono>

namespace peer {

FetchResult fetchShare(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                       const std::string& fetchDir, int timeout) {
  FetchResult result;
  auto started = std::chrono::steady_clock::now();
  Counts before = ownCounts();
  int released = session.extension().releases;
  session.offer(tree.shareEntries(), SaveIntoFolder);
  FolderCheck check(sourceRoot, tree, fetchDir);
  // ferrin releases the share once every file of it is saved and closed:
  // the end, without scanning the folder while it fills.
  bool arrived = session.serveUntil([&] { return session.extension().releases > released; },
                                    timeout, "the files", &result.problem);
  if (!arrived)
    return result;
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  result.sender = difference(ownCounts(), before);
  result.peakWorkingSet = session.ferrinPeakWorkingSet();
  result.ok = check.verifySettled(&result.problem);
  return result;
}

} // namespace peer
