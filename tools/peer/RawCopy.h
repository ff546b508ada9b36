// The yardsticks: what the same bytes cost without the protocol. A raw copy
// between two loopback sockets of this process, whose reader writes each
// piece it receives to a file the way ferrin writes file data; and a plain
// loop that creates, writes, stamps and closes the same small files.
#pragma once

#include "SourceTree.h"

#include <cstdint>
#include <string>

namespace peer {

// The most one send takes on a fresh loopback connection without blocking
// (probed with up to 1 MiB).
int largestLoopbackSend();

// MB/s (10^6 bytes a second): bytes in sends of sendSize, received in
// pieces of at most receiveSize; each piece written to file (one write
// call) unless file is empty.
double rawLoopbackCopy(uint64_t bytes, int sendSize, int receiveSize, const std::string& file);

// Files a second: every folder and file of tree created below root, each
// file written in one call, its last-write time set and closed.
double plainFileLoop(const SourceTree& tree, const std::string& root);

} // namespace peer
