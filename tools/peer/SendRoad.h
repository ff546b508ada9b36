// The "Send Files" road: another process of the user sets ferrin's
// "SendFilesToViewers" event and the file-transfer dialog comes up; then,
// as a user would, "Send files..." and the chooser: the files at the top
// of the source folder in one choice, each folder whole in another. Every
// share ferrin offers for the peer's fetch folder (flags 1) is saved and
// checked byte for byte. Last, Close hides the dialog and the next
// download brings it back.
#pragma once

#include "PeerSession.h"
#include "SourceTree.h"

#include <string>

namespace peer {

struct SendResult {
  bool ok = false;
  std::string problem;
  int shares = 0;
};

SendResult sendFiles(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                     const std::string& fetchDir, int timeout);

} // namespace peer
