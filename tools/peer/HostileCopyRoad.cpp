#include "HostileCopyRoad.h"

#include "CopyRoad.h"
#include "RefusedWindows.h"

#include "ft/ShareProxy.h"

#include <cstdio>
#include <stdexcept>

namespace peer {

namespace {

// The longest a copy may take to be offered.
const double PromptSeconds = 1.0;

// The copy's share with the tree's names, each once, within seconds (0:
// any time within the timeout).
bool offered(PeerSession& session, const std::wstring& arguments, const SourceTree& tree,
             const Helpers& helpers, uint32_t* lastShare, double withinSeconds, const char* label,
             std::string* problem) {
  RunningCopy copy(helpers, arguments);
  double seconds = 0;
  ft::ShareProxy* share = copy.awaitShare(session, 120, lastShare, &seconds, problem);
  if (!share) {
    *problem = std::string(label) + ": " + *problem;
    return false;
  }
  bool ok = sameNames(share, copiedNames(tree), problem);
  share->release();
  if (!ok) {
    *problem = std::string(label) + ": " + *problem;
    return false;
  }
  printf("hostile copy: %s offered %.2f s after the copy, each file once\n", label, seconds);
  fflush(stdout);
  if (withinSeconds > 0 && seconds > withinSeconds) {
    char text[160];
    snprintf(text, sizeof(text), "%s offered only %.2f s after the copy", label, seconds);
    *problem = text;
    return false;
  }
  return true;
}

} // namespace

HostileCopyResult hostileCopies(PeerSession& session, const SourceTree& tree,
                                const std::string& sourceRoot, const Helpers& helpers) {
  HostileCopyResult result;
  std::wstring entries = quotedTopEntries(sourceRoot);
  uint32_t lastShare = 0;
  if (!offered(session, L"--formats idlist,hdrop" + entries, tree, helpers, &lastShare,
               PromptSeconds, "the shell's copy", &result.problem) ||
      !offered(session, L"--direct" + entries, tree, helpers, &lastShare, PromptSeconds,
               "a dropped-file list put with SetClipboardData", &result.problem))
    return result;
  {
    // Whether ferrin reads the enumerator or OLE's record of the formats,
    // it must come through: the next copy says so.
    RunningCopy copy(helpers, L"--endless-formats --formats idlist,hdrop" + entries);
    double seconds = 0;
    std::string notOffered;
    ft::ShareProxy* share = copy.awaitShare(session, 3, &lastShare, &seconds, &notOffered);
    printf("hostile copy: a data object whose format enumerator never ends %s\n",
           share ? "offered (its files read off the formats OLE recorded)" : "not offered");
    fflush(stdout);
    if (share)
      share->release();
    if (session.ferrinEnded()) {
      result.problem = "ferrin ended after the endless format enumerator";
      return result;
    }
  }
  if (!offered(session, L"--formats idlist --repeat 1000000" + entries, tree, helpers,
               &lastShare, 0, "a shell item list naming each entry a million times",
               &result.problem) ||
      !offered(session, L"--direct" + entries, tree, helpers, &lastShare, PromptSeconds,
               "the next copy", &result.problem))
    return result;
  result.ok = true;
  return result;
}

HostileCopyResult watcherWithoutWindow(const std::wstring& ferrinPath, const std::string& work,
                                       const std::string& sourceRoot, const Helpers& helpers) {
  HostileCopyResult result;
  std::unique_ptr<RefusedWindowClass> refused;
  try {
    refused.reset(new RefusedWindowClass(L"kiv::ClipboardWindow"));
  } catch (const std::runtime_error& e) {
    result.problem = e.what();
    return result;
  }
  // The watcher makes its window after ferrin has connected: the hook
  // stays for the whole session.
  PeerSession session(ferrinPath, work + "\\ferrin-nowindow.log", true, L"");
  if (!session.start(&result.problem))
    return result;
  {
    RunningCopy copy(helpers, L"--direct" + quotedTopEntries(sourceRoot));
    uint32_t lastShare = 0;
    double seconds = 0;
    std::string expected;
    ft::ShareProxy* share = copy.awaitShare(session, 3, &lastShare, &seconds, &expected);
    if (share) {
      share->release();
      result.problem = "a copy was offered although the clipboard watcher has no window";
      return result;
    }
    if (session.ferrinEnded()) {
      result.problem = "ferrin ended without its clipboard watcher's window";
      return result;
    }
  }
  if (!session.finish(&result.problem))
    return result;
  printf("hostile copy: with a clipboard watcher that cannot make its window, ferrin served "
         "on, offered nothing copied and ended with 0\n");
  fflush(stdout);
  result.ok = true;
  return result;
}

} // namespace peer
