#include "ui/win/ChildDialog.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"
#include "ui/win/Dialog.h"
#include "ui/win/HandlerFailure.h"

namespace ui {

ChildDialog::ChildDialog(HWND parent, const wchar_t* dialogTemplate, HINSTANCE instance)
    : Window(instance) {
  HWND window =
      CreateDialogParamW(getInstance(), dialogTemplate, parent, childDialogProc, (LPARAM)this);
  if (!window)
    throw plat::SystemException("CreateDialog", (int)GetLastError());
  setHandle(window, true);
}

INT_PTR CALLBACK ChildDialog::childDialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  ChildDialog* object = reinterpret_cast<ChildDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_INITDIALOG && !object) {
    object = reinterpret_cast<ChildDialog*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)object);
  }
  if (!object)
    return 0;
  if (message == WM_NCDESTROY) {
    // Destroyed with its parent: the object must not destroy it again.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    object->setHandle(nullptr, false);
  }
  try {
    LRESULT result = 0;
    if (!object->handleMessage(hwnd, message, wParam, lParam, &result))
      return 0;
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return 1;
  } catch (...) {
    handlerFailed(dialogLog, message, hwnd);
    return 0;
  }
}

} // namespace ui
