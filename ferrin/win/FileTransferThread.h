// ferrin's window thread: it owns the file-transfer dialog (and later the
// downloads window and the notifications) and watches the named
// "SendFilesToViewers" event, which another process of the same mode sets
// to bring the dialog up.
//
// Made on the main thread, whose event manager then delivers the
// upload-manager proxy's messages; run builds the dialog and its proxy on
// the window thread. Destroying the object stops the thread and waits for
// it before anything it may post into goes.
#pragma once

#include "ferrin/win/FileTransferDialog.h"
#include "ferrin/win/UploadManagerProxy.h"
#include "plat/win/Handle.h"
#include "plat/win/Thread.h"

#include <atomic>
#include <memory>

namespace os {
class RegKey;
}

namespace ft {

class ShareDownloader;
class UploadManager;

class FileTransferThread : public plat::Thread, public plat::EventHandler {
public:
  // Throws plat::SystemException "CreateEvent".
  FileTransferThread(ShareDownloader* shareDownloader, UploadManager* uploads, bool serverSide,
                     bool serviceMode, os::RegKey* settingsKey, const wchar_t* icon,
                     HINSTANCE instance);
  // Stops the thread, waits for it, then deletes the proxies.
  ~FileTransferThread() override;

  // Waits until the dialog exists; throws what kept the thread from
  // getting there.
  void waitReady();
  HWND dialogWindow();
  // Any thread but the window thread: the dialog comes up.
  void showDialog();

  // The name of the event for the mode ("user" or "service").
  static const char* sendFilesBaseName(bool serviceMode);

  // Only resets the event it is given.
  void processEvent(HANDLE event) override;

protected:
  // On the window thread. The place of the file-transfer dialog; until it
  // is built, a hidden window stands in for it.
  virtual FileTransferDialog* makeDialog();

  ShareDownloader* shareDownloader_;
  std::atomic<bool> stopping_;

private:
  void run() override;
  void serve();

  plat::Handle ready_;
  std::unique_ptr<UploadManagerProxy> uploadProxy_;
  // The downloads model's proxy comes here with the downloads window.
  std::unique_ptr<FileTransferDialog> dialog_;
  std::unique_ptr<FileTransferDialogProxy> dialogProxy_;
  HWND dialogWindow_;
  std::atomic<bool> running_;
  bool serverSide_;
  bool serviceMode_;
  os::RegKey* settingsKey_;
  const wchar_t* icon_;
  HINSTANCE instance_;
  std::unique_ptr<plat::SystemException> startFailure_;
};

} // namespace ft
