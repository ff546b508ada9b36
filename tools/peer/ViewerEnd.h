// The viewer's part, as far as ferrin sees it: listen on loopback, start
// ferrin with a cookie and the endpoint, check the cookie, then offer a
// share flagged for the fetch folder through our own engine and serve it
// until ferrin has saved every file.
#pragma once

#include "CallCounts.h"
#include "FolderCheck.h"
#include "SourceTree.h"

#include <string>

namespace peer {

struct RunResult {
  bool ok = false;
  std::string problem;
  double seconds = 0;          // from the connection to ferrin's release of the share
  int exitCode = -1;           // ferrin's
  Counts sender;               // kivpeer's system calls over the same time
  Counts receiver;             // ferrin's, over its whole run
  uint64_t peakWorkingSet = 0; // ferrin's, in bytes
};

class ViewerEnd {
public:
  // ferrin's log goes to logFile.
  ViewerEnd(const std::wstring& ferrinPath, const std::string& logFile, int timeoutSeconds);

  RunResult run(const SourceTree& tree, const std::string& sourceRoot, const std::string& fetchDir);

private:
  std::wstring ferrinPath_;
  std::string logFile_;
  int timeoutSeconds_;
};

} // namespace peer
