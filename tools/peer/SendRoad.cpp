#include "SendRoad.h"

#include "FolderCheck.h"

#include "ferrin/upload/win/FileProxyWin32File.h"
#include "ferrin/win/FerrinResources.h"
#include "ft/ShareProxy.h"
#include "ft/win/ShareDownloader.h"
#include "os/EventName.h"
#include "os/win/DirIterator.h"
#include "plat/win/Unicode.h"
#include "testing/ModalHelper.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"

#include <windows.h>

namespace peer {

namespace {

using testing_support::clickButton;
using testing_support::findDescendant;
using testing_support::ModalHelper;
using testing_support::windowText;
using testing_support::wide;

const wchar_t* const DialogTitle = L"File Transfer - Kiv Server";
const wchar_t* const ChooserTitle = L"Send Files";
// ferrin's message boxes carry its name.
const wchar_t* const BoxTitle = L"Ostrel File Transfer";
const int NameBox = 0x47c; // the open-file dialog's cmb13
const int UseEntireFolder = 1010;

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM param) {
  Search* search = (Search*)param;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search->process && windowText(window) == DialogTitle) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND ferrinDialog(DWORD process) {
  Search search = {process, nullptr};
  EnumWindows(matchDialog, (LPARAM)&search);
  return search.found;
}

bool waitFor(const std::function<bool()>& done, int ms) {
  for (int waited = 0; waited < ms; waited += 25) {
    if (done())
      return true;
    Sleep(25);
  }
  return done();
}

// Types into the chooser's name box, in ferrin's process, and presses
// Open; a folder typed there is opened, and the box emptied.
bool enter(HWND frame, const std::wstring& text, bool opensFolder) {
  HWND box = findDescendant(frame, NameBox);
  if (!box)
    return false;
  SendMessageTimeoutW(box, WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, 5000, nullptr);
  clickButton(frame, IDOK);
  return !opensFolder || waitFor([&] { return windowText(box).empty(); }, 5000);
}

// What the peer's downloader reports of the share being saved.
struct Saving : ft::ShareDownloader::SDCallback {
  typedef ft::ShareDownloader::DownloadId Id;
  void downloadStarted(const Id&, const std::set<std::string>&) override {}
  void setRootDir(const Id&, const char*) override {}
  void fileStarting(const Id&, const char*) override {}
  void setIconPath(const Id&, const char*) override {}
  void downloadFailed(const Id&, const char* message, bool) override { failure = message; }
  void showError(const char* message) override { failure = message; }
  void progress(const Id&, uint64_t, uint64_t, uint32_t, uint32_t) override {}
  void downloadComplete(const Id&) override { complete = true; }
  bool complete = false;
  std::string failure;
};

class Sender {
public:
  Sender(PeerSession& session, const std::string& fetchDir, int timeout, SendResult* result)
      : session_(session), fetchDir_(fetchDir), timeout_(timeout), result_(result) {}

  bool showDialog() {
    os::EventName name("user.SendFilesToViewers", false);
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, wide(name.str()).c_str());
    if (!event) {
      result_->problem = "ferrin has no SendFilesToViewers event";
      return false;
    }
    SetEvent(event);
    CloseHandle(event);
    return session_.serveUntil(
        [&] {
          dialog_ = ferrinDialog(session_.ferrinProcessId());
          return dialog_ && IsWindowVisible(dialog_);
        },
        30, "the file-transfer dialog", &result_->problem);
  }

  // "Send files...", a choice in the chooser, and the share that follows
  // saved into the fetch folder.
  bool send(const std::function<bool(HWND)>& choose, bool wholeFolder) {
    {
      ModalHelper helper(GetWindowThreadProcessId(dialog_, nullptr), 20000);
      bool chosen = false;
      helper.expect(ChooserTitle, [&](HWND frame) { chosen = choose(frame); });
      if (wholeFolder)
        helper.expect(BoxTitle, [](HWND box) { PostMessageW(box, WM_COMMAND, IDYES, 0); });
      clickButton(dialog_, IDC_FT_SENDFILES);
      if (!session_.serveUntil([&] { return helper.done(); }, 60, "the chooser",
                               &result_->problem))
        return false;
      for (const std::string& problem : helper.problems()) {
        result_->problem = "chooser: " + problem;
        return false;
      }
      if (!chosen) {
        result_->problem = "the chooser could not be driven";
        return false;
      }
    }
    ft::ShareProxy* share = nullptr;
    bool offered = session_.serveUntil(
        [&] {
          share = session_.currentShare();
          if (share && share->flags() == SaveIntoFolder && share->shareId() != lastShare_)
            return true;
          if (share)
            share->release();
          share = nullptr;
          return false;
        },
        60, "ferrin's share of the chosen files", &result_->problem);
    if (!offered)
      return false;
    lastShare_ = share->shareId();
    Saving saving;
    ft::ShareDownloader downloader;
    downloader.setCallback(&saving);
    downloader.download(share, fetchDir_.c_str());
    share->release();
    bool saved = session_.serveUntil([&] { return saving.complete || !saving.failure.empty(); },
                                     timeout_, "the chosen files", &result_->problem);
    if (saved && !saving.failure.empty()) {
      result_->problem = "saving the chosen files: " + saving.failure;
      return false;
    }
    result_->shares++;
    return saved;
  }

  // Close only hides the dialog; the next download shows it again.
  bool closeAndDownload(const std::string& file) {
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
    if (!session_.serveUntil([&] { return !IsWindowVisible(dialog_); }, 10, "Close to hide",
                             &result_->problem))
      return false;
    if (!IsWindow(dialog_)) {
      result_->problem = "Close ended the dialog";
      return false;
    }
    session_.offer({new ft::FileProxyWin32File(wide(file).c_str(), L"again.txt")}, SaveIntoFolder);
    return session_.serveUntil([&] { return IsWindowVisible(dialog_) != FALSE; }, 30,
                               "a download to show the dialog again", &result_->problem);
  }

private:
  PeerSession& session_;
  std::string fetchDir_;
  int timeout_;
  SendResult* result_;
  HWND dialog_ = nullptr;
  uint32_t lastShare_ = 0;
};

} // namespace

SendResult sendFiles(PeerSession& session, const SourceTree& tree, const std::string& sourceRoot,
                     const std::string& fetchDir, int timeout) {
  SendResult result;
  std::wstring files;
  std::vector<std::string> folders;
  os::DirIterator top(sourceRoot.c_str(), "*");
  while (top.next()) {
    if (top.isDirectory())
      folders.push_back(top.fullPath());
    else
      files += L"\"" + wide(top.name()) + L"\" ";
  }
  Sender sender(session, fetchDir, timeout, &result);
  if (!sender.showDialog())
    return result;
  // The files at the top, chosen together.
  if (!sender.send([&](HWND frame) { return enter(frame, wide(sourceRoot), true) &&
                                            enter(frame, files, false); },
                   false))
    return result;
  // Each folder with its whole tree.
  for (const std::string& folder : folders) {
    bool sent = sender.send(
        [&](HWND frame) {
          if (!enter(frame, wide(folder), true))
            return false;
          HWND button = findDescendant(frame, UseEntireFolder);
          if (!button)
            return false;
          clickButton(GetParent(button), UseEntireFolder);
          return true;
        },
        true);
    if (!sent)
      return result;
  }
  FolderCheck check(sourceRoot, tree, fetchDir);
  result.ok = check.verifySettled(&result.problem);
  if (result.ok && !tree.files().empty())
    result.ok = sender.closeAndDownload(sourceRoot + "\\" + tree.files().front().relativePath);
  return result;
}

} // namespace peer
