// Checks what ferrin saved into the fetch folder against the files offered:
// files with safe names at the same relative path, the others somewhere in
// the folder under a changed name; every byte the same.
#pragma once

#include "SourceTree.h"

#include <functional>
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
  // The same, looked at again for up to five seconds.
  bool verifySettled(std::string* problem);

private:
  void scan(const std::string& relative);

  std::string sourceRoot_;
  const SourceTree& source_;
  std::string fetchDir_;
  std::map<std::string, uint64_t> received_; // relative path -> size
};

// What another process has just closed may take a moment to show: verify
// is tried again for up to five seconds.
bool verifySettled(const std::function<bool(std::string*)>& verify, std::string* problem);

} // namespace peer
