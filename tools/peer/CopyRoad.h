// The copy road: files copied to the clipboard by kivcopy the way the
// shell copies them (files on disk, or virtual files as descriptors and
// streams); ferrin offers them as a clipboard share, which the peer lists,
// saves and checks byte for byte.
#pragma once

#include "PasteRoad.h"
#include "PeerSession.h"
#include "SourceTree.h"

#include "testing/VirtualTree.h"

#include <string>

namespace peer {

struct CopyResult {
  bool ok = false;
  std::string problem;
};

// formats: kivcopy's list ("idlist,hdrop", "hdrop", ...). The session must
// have been started with clipboard sharing. lastShare: the id of the share
// ferrin offered before (0 for none), then this one's.
CopyResult copyFiles(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                     const std::string& fetchDir, const std::string& formats,
                     const Helpers& helpers, uint32_t* lastShare);

// The same for kivcopy's virtual files of that shape: ferrin reads them
// through the streams of kivcopy's data object.
CopyResult copyVirtualFiles(PeerSession& session, const testing_support::VirtualShape& shape,
                            const std::string& fetchDir, const Helpers& helpers,
                            uint32_t* lastShare);

} // namespace peer
