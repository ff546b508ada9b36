// What the window thread, its proxy and the "SendFilesToViewers" handler
// need of ferrin's one main window (the file-transfer dialog, or a test's
// stand-in), and the proxy through which the main thread asks for it.
#pragma once

#include "plat/win/MessageQueue.h"

#include <windows.h>

namespace ft {

class FileTransferWindow {
public:
  virtual ~FileTransferWindow() {}
  // Shows the dialog, creating it when needed, and brings it to the front.
  virtual void ensureShown() = 0;
  virtual HWND window() = 0;
};

struct ShowMessage {};

// The dialog as the main thread calls it (the window thread delivers).
class FileTransferDialogProxy : public plat::MessageQueue<ShowMessage, FileTransferWindow> {
public:
  explicit FileTransferDialogProxy(FileTransferWindow* dialog)
      : MessageQueue(dialog, "FileTransferDialogProxy::msgAvailable") {}
  void show() { post(ShowMessage()); }

protected:
  void deliver(FileTransferWindow* dialog, ShowMessage&) override { dialog->ensureShown(); }
};

} // namespace ft
