// A modeless dialog made from a template as a child of a frame window (the
// address book's main dialog sits in its main window). Its messages go to
// handleMessage, which answers through the dialog's message result. The
// messages sent while the window is being made (WM_INITDIALOG among them)
// reach only this base: a subclass sets its controls up once constructed.
#pragma once

#include "ui/win/Window.h"

namespace ui {

class ChildDialog : public Window {
public:
  // A null instance means the program's module. Throws
  // plat::SystemException "CreateDialog".
  ChildDialog(HWND parent, const wchar_t* dialogTemplate, HINSTANCE instance = nullptr);

  // True when handled, with *result as the message's answer.
  virtual bool handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT* result) {
    return false;
  }

private:
  static INT_PTR CALLBACK childDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace ui
