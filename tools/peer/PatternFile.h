// A file of the peer's share whose contents are generated, not stored
// (testing/Pattern.h, seeded by its name), and the share entries of a
// generated tree (testing/VirtualTree.h).
#pragma once

#include "ft/FileProxy.h"
#include "testing/VirtualTree.h"

#include <vector>

namespace peer {

class PatternFile : public ft::FileProxy {
public:
  PatternFile(const testing_support::VirtualEntry& entry);
  rdr::InStream* open(uint64_t offset, rfb::MsgHandler* connection, ft::Extension* owner) override;
};

// New entries, parents first.
std::vector<ft::FileProxy*> patternEntries(const std::vector<testing_support::VirtualEntry>& tree);

} // namespace peer
