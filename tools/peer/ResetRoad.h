// A peer that resets the connection while ferrin's output waits for it:
// ferrin sends a large file of its share into a window the peer grants and
// then no longer reads; the reset must end ferrin with 0, not with a
// failure of its own.
#pragma once

#include "CopyRoad.h"
#include "PeerSession.h"

#include <string>

namespace peer {

// The session must have been started with clipboard sharing; the folder
// must hold a file large.bin of some megabytes. Ends the session once the
// peer has read no more for a while.
CopyResult resetWhileOutputWaits(PeerSession& session, const std::string& sourceRoot,
                                 const Helpers& helpers);

} // namespace peer
