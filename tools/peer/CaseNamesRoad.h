// Names that differ only in case, copied: in a case-sensitive folder
// "case.txt" and "Case.txt", "dir" and "Dir" are different files and
// folders. Copied together, ferrin's clipboard share must name each of
// them, and each name must bring the bytes of its own file.
#pragma once

#include "CopyRoad.h"
#include "PeerSession.h"

#include <string>

namespace peer {

// The files and folders at the top of folder, copied by kivcopy in the
// formats ("idlist,hdrop", "hdrop", ...); every file of ferrin's share is
// fetched into memory and checked against the file of its name. The
// session must have been started with clipboard sharing. lastShare: the id
// of the share ferrin offered before (0 for none), then this one's.
CopyResult copyCaseNames(PeerSession& session, const std::string& folder,
                         const std::string& formats, const Helpers& helpers, uint32_t* lastShare);

} // namespace peer
