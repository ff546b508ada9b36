// The copy road: files copied to the clipboard by kivcopy the way the
// shell copies them (files on disk, or virtual files as descriptors and
// streams); ferrin offers them as a clipboard share, which the peer lists,
// saves and checks byte for byte.
#pragma once

#include "PasteRoad.h"
#include "PeerSession.h"
#include "SourceTree.h"

#include "testing/ChildProcess.h"
#include "testing/VirtualTree.h"

#include <windows.h>

#include <memory>
#include <set>
#include <string>

namespace ft {
class ShareProxy;
}

namespace peer {

// Whether the share holds each name once and nothing else.
bool sameNames(ft::ShareProxy* share, const std::set<std::string>& expected, std::string* problem);
// The entries at the top of the folder as kivcopy's arguments (each
// quoted, a blank before each).
std::wstring quotedTopEntries(const std::string& folder);
// The names a copy of the tree's top entries gives, '/' at every level.
std::set<std::string> copiedNames(const SourceTree& tree);

// kivcopy running with the arguments; told to stop, and waited for, when
// the object goes.
class RunningCopy {
public:
  RunningCopy(const Helpers& helpers, const std::wstring& arguments);
  RunningCopy(const RunningCopy&) = delete;
  RunningCopy& operator=(const RunningCopy&) = delete;
  ~RunningCopy();

  // Serves the session until ferrin offers a new clipboard share (flags 2,
  // an id other than *lastShare, which becomes its id) and its listing is
  // complete: the share (a reference for the caller), or null with the
  // problem. *seconds: the time from kivcopy's copy to the share.
  ft::ShareProxy* awaitShare(PeerSession& session, int timeout, uint32_t* lastShare,
                             double* seconds, std::string* problem);

private:
  HANDLE stop_;
  HANDLE ready_;
  std::unique_ptr<testing_support::ChildProcess> copy_;
};

struct CopyResult {
  bool ok = false;
  std::string problem;
};

// kivcopy with the arguments, holding the clipboard while the object lives,
// and the clipboard share ferrin made of it (a reference of its own).
class CopiedShare {
public:
  // The session must have been started with clipboard sharing. lastShare:
  // the id of the share ferrin offered before (0 for none), then this one's.
  CopiedShare(PeerSession& session, const std::wstring& copyArguments, const Helpers& helpers,
              uint32_t* lastShare);
  // The files at the top of the folder as a dropped-file list, the first
  // share ferrin offers.
  CopiedShare(PeerSession& session, const std::string& folder, const Helpers& helpers);
  CopiedShare(const CopiedShare&) = delete;
  CopiedShare& operator=(const CopiedShare&) = delete;
  ~CopiedShare();

  // Null, with the problem, when ferrin offered none.
  ft::ShareProxy* share() const { return share_; }
  const std::string& problem() const { return problem_; }
  // Whether ferrin offered it; the problem when not.
  bool offered(std::string* problem) const {
    if (!share_)
      *problem = problem_;
    return share_ != nullptr;
  }

private:
  uint32_t noShareBefore = 0;
  RunningCopy copy_;
  ft::ShareProxy* share_ = nullptr;
  std::string problem_;
};

// kivcopy's arguments that copy what lies at the top of the folder, in the
// formats ("idlist,hdrop", "hdrop", ...).
std::wstring copyArgumentsFor(const std::string& folder, const std::string& formats);

// formats: kivcopy's list ("idlist,hdrop", "hdrop", ...). The session must
// have been started with clipboard sharing. lastShare: the id of the share
// ferrin offered before (0 for none), then this one's.
CopyResult copyFiles(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                     const std::string& fetchDir, const std::string& formats,
                     const Helpers& helpers, uint32_t* lastShare);

// The same for kivcopy's virtual files of that shape: ferrin reads them
// through the streams of kivcopy's data object.
CopyResult copyVirtualFiles(PeerSession& session, const testing_support::VirtualShape& shape,
                            const std::string& fetchDir, const Helpers& helpers,
                            uint32_t* lastShare);

} // namespace peer
