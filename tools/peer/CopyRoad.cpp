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

// What is checked of a copy once ferrin's share is saved.
struct Check {
  std::set<std::string> names;
  std::function<bool()> arrived;
  std::function<bool(std::string*)> verify;
};

// Runs kivcopy with the arguments until ferrin offers a new clipboard
// share, compares its names, saves it into fetchDir and checks it.
CopyResult copyAndSave(PeerSession& session, const std::wstring& copyArguments,
                       const std::string& fetchDir, const Check& check, const Helpers& helpers,
                       uint32_t* lastShare) {
  CopyResult result;
  RunningCopy copy(helpers, copyArguments);
  double seconds = 0;
  ft::ShareProxy* share = copy.awaitShare(session, 120, lastShare, &seconds, &result.problem);
  if (share && sameNames(share, check.names, &result.problem)) {
    ft::ShareDownloader downloader;
    downloader.download(share, fetchDir.c_str());
    if (session.serveUntil(check.arrived, helpers.timeout, "the copied files", &result.problem))
      result.ok = verifySettled(check.verify, &result.problem);
  }
  if (share)
    share->release();
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

bool sameNames(ft::ShareProxy* share, const std::set<std::string>& expected, std::string* problem) {
  std::set<std::string> got;
  size_t entries = 0;
  for (const ft::ShareEntry* entry : *share) {
    got.insert(entry->name.c_str());
    entries++;
  }
  for (const std::string& name : expected)
    if (!got.count(name)) {
      *problem = "not in ferrin's share: " + name;
      return false;
    }
  if (got != expected) {
    *problem = "ferrin's share holds more than was copied";
    return false;
  }
  if (entries != got.size()) {
    *problem = "ferrin's share names a file more than once";
    return false;
  }
  return true;
}

std::wstring quotedTopEntries(const std::string& folder) {
  std::wstring arguments;
  os::DirIterator top(folder.c_str(), "*");
  while (top.next())
    arguments += L" \"" + wide(top.fullPath()) + L"\"";
  return arguments;
}

std::set<std::string> copiedNames(const SourceTree& tree) {
  std::set<std::string> names;
  for (const std::string& folder : tree.folders())
    names.insert(slashes(folder));
  for (const SourceFile& file : tree.files())
    names.insert(slashes(file.relativePath));
  return names;
}

RunningCopy::RunningCopy(const Helpers& helpers, const std::wstring& arguments) {
  wchar_t stopName[64];
  wchar_t readyName[64];
  swprintf(stopName, 64, L"kivpeer.%lu.copy", (unsigned long)GetCurrentProcessId());
  swprintf(readyName, 64, L"kivpeer.%lu.copied", (unsigned long)GetCurrentProcessId());
  stop_ = CreateEventW(nullptr, TRUE, FALSE, stopName);
  ready_ = CreateEventW(nullptr, TRUE, FALSE, readyName);
  copy_.reset(new ChildProcess(L"\"" + helpers.copy + L"\" --stop-event " + stopName +
                               L" --ready-event " + readyName + L" " + arguments));
}

RunningCopy::~RunningCopy() {
  SetEvent(stop_);
  copy_->ended(20000);
  copy_.reset();
  CloseHandle(ready_);
  CloseHandle(stop_);
}

ft::ShareProxy* RunningCopy::awaitShare(PeerSession& session, int timeout, uint32_t* lastShare,
                                        double* seconds, std::string* problem) {
  ULONGLONG copied = 0;
  ft::ShareProxy* share = nullptr;
  // The listing comes when the peer asks for it: ready means complete.
  bool ready = session.serveUntil(
      [&] {
        if (!copied && WaitForSingleObject(ready_, 0) == WAIT_OBJECT_0)
          copied = GetTickCount64();
        share = session.currentShare();
        if (share && share->flags() == 2 && share->shareId() != *lastShare)
          return true;
        if (share)
          share->release();
        share = nullptr;
        return false;
      },
      timeout, "ferrin's clipboard share", problem);
  if (!ready)
    return nullptr;
  *lastShare = share->shareId();
  *seconds = copied ? (GetTickCount64() - copied) / 1000.0 : 0;
  return share;
}

CopiedShare::CopiedShare(PeerSession& session, const std::wstring& copyArguments,
                         const Helpers& helpers, uint32_t* lastShare)
    : copy_(helpers, copyArguments) {
  double seconds = 0;
  share_ = copy_.awaitShare(session, 120, lastShare, &seconds, &problem_);
}

CopiedShare::CopiedShare(PeerSession& session, const std::string& folder, const Helpers& helpers)
    : CopiedShare(session, copyArgumentsFor(folder, "hdrop"), helpers, &noShareBefore) {}

CopiedShare::~CopiedShare() {
  if (share_)
    share_->release();
}

std::wstring copyArgumentsFor(const std::string& folder, const std::string& formats) {
  return L"--formats " + wide(formats) + quotedTopEntries(folder);
}

CopyResult copyFiles(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                     const std::string& fetchDir, const std::string& formats,
                     const Helpers& helpers, uint32_t* lastShare) {
  Check check;
  check.names = copiedNames(tree);
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
