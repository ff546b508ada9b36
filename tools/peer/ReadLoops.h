// The reading of files offered for upload, measured on its own: the same
// small files read whole as the upload reads them (overlapped reads on this
// thread, never waiting for the disk) and with plain reads that wait.
#pragma once

#include "SourceTree.h"

#include <string>

namespace peer {

struct ReadRates {
  double upload = 0; // files a second
  double plain = 0;
};

// Every file of tree below root read whole both ways, in alternating
// rounds; the best round of each way (the machine's load falls on both).
ReadRates readLoops(const SourceTree& tree, const std::string& root, int rounds);

} // namespace peer
