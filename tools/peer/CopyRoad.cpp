#include "CopyRoad.h"

#include "FolderCheck.h"

#include "ft/ShareProxy.h"
#include "ft/win/ShareDownloader.h"
#include "os/win/DirIterator.h"
#include "testing/ChildProcess.h"
#include "testing/TempDir.h"

#include <windows.h>

#include <algorithm>
#include <set>

using testing_support::ChildProcess;
using testing_support::wide;

namespace peer {

namespace {

std::string slashes(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

// The share's names against the tree's, '/' at every level.
bool sameNames(ft::ShareProxy* share, const SourceTree& tree, std::string* problem) {
  std::set<std::string> expected, got;
  for (const std::string& folder : tree.folders())
    expected.insert(slashes(folder));
  for (const SourceFile& file : tree.files())
    expected.insert(slashes(file.relativePath));
  for (const ft::ShareEntry* entry : *share)
    got.insert(entry->name.c_str());
  if (got == expected)
    return true;
  for (const std::string& name : expected)
    if (!got.count(name)) {
      *problem = "not in ferrin's share: " + name;
      return false;
    }
  *problem = "ferrin's share holds more than was copied";
  return false;
}

} // namespace

CopyResult copyFiles(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                     const std::string& fetchDir, const std::string& formats,
                     const Helpers& helpers, uint32_t* lastShare) {
  CopyResult result;
  std::wstring items;
  os::DirIterator top(sourceRoot.c_str(), "*");
  while (top.next())
    items += L" \"" + wide(top.fullPath()) + L"\"";
  wchar_t stopName[64];
  swprintf(stopName, 64, L"kivpeer.%lu.copy", (unsigned long)GetCurrentProcessId());
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, stopName);
  ft::ShareProxy* share = nullptr;
  {
    ChildProcess copy(L"\"" + helpers.copy + L"\" --formats " + wide(formats) + L" --stop-event " +
                      stopName + items);
    // The listing comes when the peer asks for it: ready means complete.
    bool ready = session.serveUntil(
        [&] {
          share = session.currentShare();
          if (share && share->flags() == 2 && share->shareId() != *lastShare)
            return true;
          if (share)
            share->release();
          share = nullptr;
          return false;
        },
        120, "ferrin's clipboard share", &result.problem);
    if (ready)
      *lastShare = share->shareId();
    if (ready && sameNames(share, tree, &result.problem)) {
      ft::ShareDownloader downloader;
      downloader.download(share, fetchDir.c_str());
      FolderCheck check(sourceRoot, tree, fetchDir);
      if (session.serveUntil([&] { return check.sizesArrived(); }, helpers.timeout,
                             "the copied files", &result.problem)) {
        for (int attempt = 0; attempt < 50 && !result.ok; attempt++) {
          result.ok = check.verify(&result.problem);
          if (!result.ok)
            Sleep(100);
        }
      }
    }
    if (share)
      share->release();
    SetEvent(stop);
    copy.ended(20000);
  }
  CloseHandle(stop);
  return result;
}

} // namespace peer
