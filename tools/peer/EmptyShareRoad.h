// A share without files, flagged for the fetch folder, offered while ferrin
// saves another share there: ferrin lets it go at once and goes on with
// the first, which must arrive whole.
#pragma once

#include "FetchRoad.h"

namespace peer {

// The session must have been started with fetchDir as ferrin's FetchDir.
FetchResult fetchWithEmptyShareMidway(PeerSession& session, const SourceTree& tree,
                                      const std::string& sourceRoot, const std::string& fetchDir,
                                      int timeout);

} // namespace peer
