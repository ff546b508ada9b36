// Copies that other programs make, not all of them well. With a session
// started with clipboard sharing: the shell's copy and a dropped-file list
// put on the clipboard with SetClipboardData (not through OLE), each
// offered within a second; a data object whose format enumerator never
// ends; a shell item list naming one folder a million times, offered with
// every file once. Each later copy is offered too, so the clipboard
// watcher has come through the one before it. And ferrin started with a
// clipboard watcher that cannot make its window: it serves on.
#pragma once

#include "PasteRoad.h"
#include "PeerSession.h"
#include "SourceTree.h"

#include <string>

namespace peer {

struct HostileCopyResult {
  bool ok = false;
  std::string problem;
};

// sourceRoot holds the tree; the session must have clipboard sharing.
// Prints a line for each copy.
HostileCopyResult hostileCopies(PeerSession& session, const SourceTree& tree,
                                const std::string& sourceRoot, const Helpers& helpers);

// A session started while windows of the clipboard watcher's class cannot
// be made: a copy is not offered, and ferrin keeps serving until the
// connection closes, then ends with 0.
HostileCopyResult watcherWithoutWindow(const std::wstring& ferrinPath, const std::string& work,
                                       const std::string& sourceRoot, const Helpers& helpers);

} // namespace peer
