// ferrin's window thread: it owns the file-transfer dialog with the
// downloads window and the notifications, and watches the named
// "SendFilesToViewers" event, which another process of the same mode sets
// to bring the dialog up.
//
// Made on the main thread, which keeps the downloads model and whose event
// manager then delivers the upload-manager and downloads-model proxies'
// messages; run builds the dialog and its proxy on the window thread.
// Destroying the object stops the thread and waits for it before anything
// it may post into goes; then the model forgets the window that went.
#pragma once

#include "ferrin/win/DownloadsDialog.h"
#include "ferrin/win/DownloadsDialogProxy.h"
#include "ferrin/win/FileTransferWindow.h"
#include "ferrin/win/UploadManagerProxy.h"
#include "plat/win/Handle.h"
#include "plat/win/Thread.h"

#include <atomic>
#include <exception>
#include <memory>

namespace os {
class RegKey;
}

namespace ft {

class ShareDownloader;
class UploadManager;

class FileTransferThread : public plat::Thread,
                           public plat::EventHandler,
                           private UploadManagerProxy::Failures {
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
  // On the window thread: the file-transfer dialog (tests put in their
  // own).
  virtual FileTransferWindow* makeDialog();

  ShareDownloader* shareDownloader_;
  std::atomic<bool> stopping_;

  // The queue through which the dialog sends chosen files.
  UploadManagerProxy* uploadProxy() const { return uploadProxy_.get(); }

private:
  class ReadySignal;

  void run() override;
  void serve(ReadySignal& ready);
  // On the main thread: the box comes up on the window thread.
  void sendFailed(HWND owner, const char* text) override;

  // The downloads model, over the share downloader (none without one).
  std::unique_ptr<DownloadsDialog> downloads_;
  plat::Handle ready_;
  std::unique_ptr<UploadManagerProxy> uploadProxy_;
  std::unique_ptr<DownloadsDialogProxy> downloadsProxy_;
  std::unique_ptr<FileTransferWindow> dialog_;
  std::unique_ptr<FileTransferDialogProxy> dialogProxy_;
  HWND dialogWindow_;
  std::atomic<bool> running_;
  bool serverSide_;
  bool serviceMode_;
  os::RegKey* settingsKey_;
  const wchar_t* icon_;
  HINSTANCE instance_;
  // What kept the dialog from being made, of whatever type.
  std::exception_ptr startFailure_;
};

} // namespace ft
