#include "CopyRoad.h"

#include "FolderCheck.h"

#include "ft/ShareProxy.h"
#include "ft/win/ShareDownloader.h"
#include "os/win/DirIterator.h"
#include "testing/ChildProcess.h"
#include "testing/Pattern.h"
#include "testing/TempDir.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <vector>

using testing_support::ChildProcess;
using testing_support::wide;

namespace peer {

namespace {

std::string slashes(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

// The share's names against those copied, '/' at every level.
bool sameNames(ft::ShareProxy* share, const std::set<std::string>& expected, std::string* problem) {
  std::set<std::string> got;
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

// What is checked of a copy once ferrin's share is saved.
struct Check {
  std::set<std::string> names;
  std::function<bool()> arrived;
  std::function<bool(std::string*)> verify;
};

// Saves ferrin's share of a copy into fetchDir and checks it.
CopyResult copyAndSave(PeerSession& session, const std::wstring& copyArguments,
                       const std::string& fetchDir, const Check& check, const Helpers& helpers,
                       uint32_t* lastShare) {
  CopyResult result;
  CopiedShare copied(session, copyArguments, helpers, lastShare);
  ft::ShareProxy* share = copied.share();
  result.problem = copied.problem();
  if (share && sameNames(share, check.names, &result.problem)) {
    ft::ShareDownloader downloader;
    downloader.download(share, fetchDir.c_str());
    if (session.serveUntil(check.arrived, helpers.timeout, "the copied files", &result.problem))
      result.ok = verifySettled(check.verify, &result.problem);
  }
  return result;
}

uint64_t fileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data))
    return UINT64_MAX;
  return (uint64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}

// Whether the file holds the pattern of its name, every byte.
bool holdsPattern(const std::string& path, const std::string& name) {
  FILE* f = _wfopen(wide(path).c_str(), L"rb");
  if (!f)
    return false;
  std::vector<char> buffer(65536);
  uint32_t seed = testing_support::patternSeed(name);
  uint64_t at = 0;
  bool same = true;
  size_t n;
  while (same && (n = fread(buffer.data(), 1, buffer.size(), f)) > 0) {
    same = testing_support::matchesPattern(seed, at, buffer.data(), n);
    at += n;
  }
  fclose(f);
  return same;
}

} // namespace

CopiedShare::CopiedShare(PeerSession& session, const std::wstring& copyArguments,
                         const Helpers& helpers, uint32_t* lastShare) {
  wchar_t stopName[64];
  swprintf(stopName, 64, L"kivpeer.%lu.copy", (unsigned long)GetCurrentProcessId());
  stop_ = CreateEventW(nullptr, TRUE, FALSE, stopName);
  copy_.reset(
      new ChildProcess(L"\"" + helpers.copy + L"\" --stop-event " + stopName + L" " + copyArguments));
  // The listing comes when the peer asks for it: ready means complete.
  bool ready = session.serveUntil(
      [&] {
        share_ = session.currentShare();
        if (share_ && share_->flags() == 2 && share_->shareId() != *lastShare)
          return true;
        if (share_)
          share_->release();
        share_ = nullptr;
        return false;
      },
      120, "ferrin's clipboard share", &problem_);
  if (ready)
    *lastShare = share_->shareId();
}

CopiedShare::CopiedShare(PeerSession& session, const std::string& folder, const Helpers& helpers)
    : CopiedShare(session, copyArgumentsFor(folder, "hdrop"), helpers, &noShareBefore) {}

CopiedShare::~CopiedShare() {
  if (share_)
    share_->release();
  SetEvent(stop_);
  copy_->ended(20000);
  copy_.reset();
  CloseHandle(stop_);
}

std::wstring copyArgumentsFor(const std::string& folder, const std::string& formats) {
  std::wstring arguments = L"--formats " + wide(formats);
  os::DirIterator top(folder.c_str(), "*");
  while (top.next())
    arguments += L" \"" + wide(top.fullPath()) + L"\"";
  return arguments;
}

CopyResult copyFiles(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                     const std::string& fetchDir, const std::string& formats,
                     const Helpers& helpers, uint32_t* lastShare) {
  Check check;
  for (const std::string& folder : tree.folders())
    check.names.insert(slashes(folder));
  for (const SourceFile& file : tree.files())
    check.names.insert(slashes(file.relativePath));
  auto folder = std::make_shared<FolderCheck>(sourceRoot, tree, fetchDir);
  check.arrived = [folder] { return folder->sizesArrived(); };
  check.verify = [folder](std::string* problem) { return folder->verify(problem); };
  return copyAndSave(session, copyArgumentsFor(sourceRoot, formats), fetchDir, check, helpers,
                     lastShare);
}

CopyResult copyVirtualFiles(PeerSession& session, const testing_support::VirtualShape& shape,
                            const std::string& fetchDir, const Helpers& helpers,
                            uint32_t* lastShare) {
  std::vector<testing_support::VirtualEntry> tree = testing_support::virtualTree(shape);
  Check check;
  for (const testing_support::VirtualEntry& entry : tree)
    check.names.insert(entry.name);
  auto saved = [fetchDir](const testing_support::VirtualEntry& entry) {
    std::string path = fetchDir + "\\" + entry.name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  };
  check.arrived = [tree, saved] {
    for (const testing_support::VirtualEntry& entry : tree)
      if (!entry.directory && fileSize(saved(entry)) != entry.size)
        return false;
    return true;
  };
  check.verify = [tree, saved](std::string* problem) {
    for (const testing_support::VirtualEntry& entry : tree) {
      if (!entry.directory && !holdsPattern(saved(entry), entry.name)) {
        *problem = "differs: " + entry.name;
        return false;
      }
    }
    return true;
  };
  return copyAndSave(session, L"--virtual " + wide(testing_support::formatShape(shape)), fetchDir,
                     check, helpers, lastShare);
}

} // namespace peer
