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
  session.offer(tree.shareEntries(), SaveIntoFolder);
  FolderCheck check(sourceRoot, tree, fetchDir);
  auto nextCheck = started;
  // Scanning the folder is not cheap: ten times a second is enough.
  bool arrived = session.serveUntil(
      [&] {
        auto now = std::chrono::steady_clock::now();
        if (now < nextCheck)
          return false;
        nextCheck = now + std::chrono::milliseconds(100);
        return check.sizesArrived();
      },
      timeout, "the files", &result.problem);
  if (!arrived)
    return result;
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  // The last bytes may still be on their way to the disk.
  for (int attempt = 0; attempt < 50 && !result.ok; attempt++) {
    result.ok = check.verify(&result.problem);
    if (!result.ok)
      Sleep(100);
  }
  return result;
}

} // namespace peer
