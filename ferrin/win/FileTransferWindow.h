// What the window thread, its proxy and the "SendFilesToViewers" handler
// need of ferrin's one main window (the file-transfer dialog, or a test's
// stand-in), and the proxy through which the main thread asks for it.
#pragma once

#include "plat/win/MessageQueue.h"
#include "ui/win/MsgBox.h"

#include <windows.h>

#include <string>

namespace ft {

class FileTransferWindow {
public:
  virtual ~FileTransferWindow() {}
  // Shows the dialog, creating it when needed, and brings it to the front.
  virtual void ensureShown() = 0;
  virtual HWND window() = 0;
};

// What the main thread asks of the dialog's thread: the dialog comes up, or
// a failure of the window's asking is told in a box that the window owns.
struct DialogRequest {
  enum Kind { Show, ShowError };
  Kind kind;
  HWND owner;
  std::string text;
};

// The dialog as the main thread calls it (the window thread delivers).
class FileTransferDialogProxy : public plat::MessageQueue<DialogRequest, FileTransferWindow> {
public:
  explicit FileTransferDialogProxy(FileTransferWindow* dialog)
      : MessageQueue(dialog, "FileTransferDialogProxy::msgAvailable") {}
  void show() { post({DialogRequest::Show, nullptr, std::string()}); }
  void showError(HWND owner, const char* text) { post({DialogRequest::ShowError, owner, text}); }

protected:
  void deliver(FileTransferWindow* dialog, DialogRequest& request) override {
    if (request.kind == DialogRequest::Show)
      dialog->ensureShown();
    else
      ui::MsgBox(request.owner, request.text.c_str(), MB_ICONERROR);
  }
};

} // namespace ft
