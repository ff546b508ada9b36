#include "ui/win/Dialog.h"
#include "plat/LogWriter.h"
#include "ui/win/HandlerFailure.h"
#include "ui/win/Tooltip.h"

#include <vector>

namespace ui {

plat::LogWriter dialogLog("Dialog");
// Dialog headers log through the dialogs' writer; theirs is kept for the
// Log settings that name it, which would otherwise stop there.
static plat::LogWriter headerLog("DialogHeader");

namespace {

// This thread's open modeless dialogs, newest first.
struct ModelessEntry {
  HWND window;
  ModelessEntry* next;
};
thread_local ModelessEntry* modeless;

void addModeless(HWND window) {
  for (ModelessEntry* e = modeless; e; e = e->next)
    if (e->window == window)
      return;
  modeless = new ModelessEntry{window, modeless};
}

void removeModeless(HWND window) {
  for (ModelessEntry** link = &modeless; *link; link = &(*link)->next) {
    if ((*link)->window == window) {
      ModelessEntry* gone = *link;
      *link = gone->next;
      delete gone;
      return;
    }
  }
}

HICON loadIcon(HINSTANCE instance, const ResourceId& id) {
  return id.isSet() ? LoadIconW(instance, id.resource()) : nullptr;
}

} // namespace

Dialog::Dialog(ResourceId dialogTemplate, HINSTANCE instance, ResourceId bigIcon,
               ResourceId smallIcon)
    : Window(instance), template_(dialogTemplate), smallIcon_(loadIcon(getInstance(), smallIcon)),
      bigIcon_(loadIcon(getInstance(), bigIcon)), tooltip_(nullptr), changedCallback_(nullptr) {}

// The window goes before the icons it shows.
Dialog::~Dialog() {
  if (HWND window = getHandle()) {
    removeModeless(window);
    EndDialog(window, 0);
    Window::destroy();
  }
  if (smallIcon_)
    DestroyIcon(smallIcon_);
  if (bigIcon_)
    DestroyIcon(bigIcon_);
  delete tooltip_;
}

void Dialog::createModeless(HWND parent) {
  if (!getHandle()) {
    HWND window = CreateDialogParamW(getInstance(), template_.resource(), parent, dialogProc,
                                     (LPARAM)this);
    if (!window)
      throw plat::SystemException("CreateDialogParam", (int)GetLastError());
    setHandle(window, true);
    addModeless(window);
  }
}

bool Dialog::show(HWND parent) {
  if (!getHandle())
    createModeless(parent);
  bringToFront();
  return true;
}

void Dialog::bringToFront() {
  Window::show(true);
  SetForegroundWindow(getHandle());
}

bool Dialog::end(bool result) {
  HWND window = getHandle();
  if (!window)
    return false;
  removeModeless(window);
  EndDialog(window, result);
  destroy();
  return true;
}

bool Dialog::runModal(HWND parent) {
  if (HWND open = getHandle()) {
    SetWindowPos(open, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return false;
  }
  INT_PTR result =
      DialogBoxParamW(getInstance(), template_.resource(), parent, dialogProc, (LPARAM)this);
  setHandle(nullptr, false);
  if (result == -1)
    throw plat::SystemException("DialogBoxParam", (int)GetLastError());
  return result == TRUE;
}

void Dialog::setToolTip(int controlId, const char* text, int maxWidth) {
  if (!tooltip_)
    tooltip_ = new Tooltip(getHandle(), getInstance());
  tooltip_->addTool(getDlgItem(controlId), text, maxWidth);
}

bool Dialog::isDialogMessage(MSG* msg) {
  // A dialog that a key ends leaves the list while it is walked.
  std::vector<HWND> open;
  for (ModelessEntry* e = modeless; e; e = e->next)
    open.push_back(e->window);
  for (HWND window : open)
    if (IsDialogMessageW(window, msg))
      return true;
  return false;
}

INT_PTR Dialog::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    setHandle(hwnd, ownsWindow());
    if (bigIcon_)
      SendMessageW(hwnd, WM_SETICON, ICON_BIG, (LPARAM)bigIcon_);
    if (smallIcon_)
      SendMessageW(hwnd, WM_SETICON, ICON_SMALL, (LPARAM)smallIcon_);
    return !onInitDialog();
  case WM_COMMAND: {
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (code == 0 && id == IDOK) {
      if (validate() && apply()) {
        end(true);
        return 1;
      }
      return 0;
    }
    if (code == 0 && id == IDCANCEL) {
      if (onCancel()) {
        end(false);
        return 1;
      }
      return 0;
    }
    return onCommand(id, code);
  }
  case WM_NOTIFY: {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
      return 0;
    if (header->code == (UINT)PSN_APPLY) {
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, apply() ? 0 : 1);
      return 1;
    }
    if (header->code == (UINT)PSN_KILLACTIVE) {
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, validate() ? 0 : 1);
      return 1;
    }
    LRESULT result = 0;
    if (onNotify(header, &result)) {
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
      return 1;
    }
    return 0;
  }
  case WM_SHOWWINDOW:
    if (wParam)
      onShow();
    return 0;
  case WM_DESTROY:
    // However the window goes, its handle leaves the list: Windows reuses
    // handles.
    removeModeless(hwnd);
    setHandle(nullptr, false);
    // Its tools were this window's controls; a page made again (a property
    // sheet's page set switched back) gets a new one.
    delete tooltip_;
    tooltip_ = nullptr;
    return 0;
  }
  return 0;
}

INT_PTR CALLBACK Dialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* object = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_INITDIALOG) {
    // A WM_INITDIALOG sent later by another program must not replace the
    // object with its parameter.
    if (object) {
      dialogLog.error("stray WM_INITDIALOG to 0x%llx ignored", (unsigned long long)(uintptr_t)hwnd);
      return 0;
    }
    object = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)object);
  }
  if (!object)
    return 0;
  if (message == WM_NCDESTROY)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  try {
    return object->handleMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    handlerFailed(dialogLog, message, hwnd);
    return 0;
  }
}

} // namespace ui
