// The files of a share whose contents are generated (testing/Pattern.h):
// the same list for the peer that offers them through the engine and for
// the virtual-file source that offers them on the clipboard, so that both
// give a paste the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct VirtualEntry {
  std::string name; // '/'-separated; parents come before their contents
  uint64_t size;
  bool directory;
};

struct VirtualShape {
  uint64_t largeBytes = 0; // one file of that size when nonzero
  int smallFiles = 0;      // in folders of 100, two levels deep
  int smallBytes = 0;
  bool extras = false; // an empty file, an empty folder, a file three levels down
};

std::vector<VirtualEntry> virtualTree(const VirtualShape& shape);
uint64_t totalBytes(const std::vector<VirtualEntry>& tree);
int fileCount(const std::vector<VirtualEntry>& tree);

// "large=BYTES,small=COUNT,bytes=BYTES,extras" and back, for a command
// line; false for text it does not know.
std::string formatShape(const VirtualShape& shape);
bool parseShape(const std::string& text, VirtualShape* shape);

} // namespace testing_support
