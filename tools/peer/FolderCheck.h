// Checks what ferrin saved into the fetch folder against the files offered:
// files with safe names at the same relative path, the others somewhere in
// the folder under a changed name; every byte the same.
#pragma once

#include "SourceTree.h"

#include <map>
#include <string>

namespace peer {

class FolderCheck {
public:
  FolderCheck(const std::string& sourceRoot, const SourceTree& source, const std::string& fetchDir);

  // Cheap: as many files as were offered, with the same sizes.
  bool sizesArrived();
  // Byte for byte; the first difference goes to problem.
  bool verify(std::string* problem);

private:
  void scan(const std::string& relative);

  std::string sourceRoot_;
  const SourceTree& source_;
  std::string fetchDir_;
  std::map<std::string, uint64_t> received_; // relative path -> size
};

} // namespace peer
