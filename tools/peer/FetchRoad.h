// The fetch-folder road: a share of files on disk offered to be saved into
// ferrin's fetch folder, served until ferrin has saved every file, then
// checked byte for byte.
#pragma once

#include "PeerSession.h"
#include "SourceTree.h"

#include <string>

namespace peer {

struct FetchResult {
  bool ok = false;
  std::string problem;
  double seconds = 0; // from the offer to ferrin's release of the share
  Counts sender;      // kivpeer's system calls over the same time
  uint64_t peakWorkingSet = 0; // ferrin's, in bytes
};

// The session must have been started with fetchDir as ferrin's FetchDir.
FetchResult fetchShare(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                       const std::string& fetchDir, int timeout);

} // namespace peer
