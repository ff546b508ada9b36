// What the window thread, its proxies and the "SendFilesToViewers"
// handler need of ferrin's one main window, the file-transfer dialog.
// The dialog itself (the downloads list, "Send files...", the download
// location) is not built yet: until it is, the window thread keeps a
// hidden window in its place (FileTransferThread::makeDialog).
#pragma once

#include "plat/win/MessageQueue.h"

#include <windows.h>

namespace ft {

class FileTransferDialog {
public:
  virtual ~FileTransferDialog() {}
  // Shows the dialog, creating it when needed, and brings it to the front.
  virtual void ensureShown() = 0;
  virtual HWND window() = 0;
};

struct ShowMessage {};

// The dialog as the main thread calls it (the window thread delivers).
class FileTransferDialogProxy : public plat::MessageQueue<ShowMessage, FileTransferDialog> {
public:
  explicit FileTransferDialogProxy(FileTransferDialog* dialog)
      : MessageQueue(dialog, "FileTransferDialogProxy::msgAvailable") {}
  void show() { post(ShowMessage()); }

protected:
  void deliver(FileTransferDialog* dialog, ShowMessage&) override { dialog->ensureShown(); }
};

} // namespace ft
