#include "FetchRoad.h"

#include "FolderCheck.h"

#include <windows.h>

#include <chrono>

namespace peer {

namespace {

// Save into the fetch folder, not onto the clipboard.
const uint32_t SaveIntoFolder = 1;

} // namespace

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
  // What another process has just closed may take a moment to show.
  for (int attempt = 0; attempt < 50 && !result.ok; attempt++) {
    result.ok = check.verify(&result.problem);
    if (!result.ok)
      Sleep(100);
  }
  return result;
}

} // namespace peer
