// A peer that asks for one file of ferrin's share thousands of times over
// and never grants a byte: ferrin keeps a bounded number of those requests
// open, answers the rest with a file error, and still serves every file of
// the share once the peer gives its requests up.
#pragma once

#include "CopyRoad.h"
#include "PeerSession.h"
#include "SourceTree.h"

#include <string>

namespace peer {

struct FloodResult {
  bool ok = false;
  std::string problem;
  int refused = 0; // requests answered with a file error
  int open = 0;    // requests still open when the flood was over
  PeerSession::Memory before; // ferrin's, with the share offered
  PeerSession::Memory after;  // and once it had answered the flood
};

// The session must have been started with clipboard sharing; the tree must
// hold a large file. Its files are copied, the large one requested that
// many times with a window of 0, then the whole share saved into fetchDir
// and checked.
FloodResult floodRequests(PeerSession& session, const SourceTree& tree,
                          const std::string& sourceRoot, const std::string& fetchDir,
                          int requests, const Helpers& helpers);

} // namespace peer
