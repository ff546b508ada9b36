#include "ui/win/NotificationDialog.h"
#include "os/win/MonitorInfo.h"
#include "os/win/OSVersionInfo.h"
#include "os/win/StartupValues.h"
#include "plat/win/DynamicFn.h"
#include "ui/Logo.h"

namespace ui {

namespace {

enum { PopupTimer = 1, FadeMs = 400 };

HBRUSH whiteBrush() { return (HBRUSH)GetStockObject(WHITE_BRUSH); }

} // namespace

NotificationDialog::NotificationDialog(ResourceId dialogTemplate, int logoId, HINSTANCE instance,
                                       HANDLE doneEvent)
    : Dialog(dialogTemplate, instance), logoId_(logoId),
      logo_(LoadBitmapW(getInstance(), logoResourceName(os::screenDpi()))), linkCallback_(nullptr),
      anchorX_(0), anchorY_(0), doneEvent_(doneEvent) {}

// The window goes before the bitmap it shows and the texts it draws.
NotificationDialog::~NotificationDialog() {
  end(false);
  if (logo_)
    DeleteObject(logo_);
}

void NotificationDialog::setText(int controlId, const char* markup) {
  if (HWND window = getHandle()) {
    if (HWND control = GetDlgItem(window, controlId)) {
      hyperlinks_.forget(control);
      InvalidateRect(control, nullptr, TRUE);
    }
  }
  texts_[controlId] = markup;
}

void NotificationDialog::popup(int timeoutMs) {
  // The primary monitor's work area (an empty rectangle gives it).
  RECT none = {0, 0, 0, 0};
  os::MonitorInfo monitor(none);
  anchorX_ = monitor.workArea().right;
  anchorY_ = monitor.workArea().bottom;
  show(nullptr);
  if (timeoutMs)
    SetTimer(getHandle(), PopupTimer, timeoutMs, nullptr);
}

bool NotificationDialog::onInitDialog() {
  if (logo_)
    SendDlgItemMessageW(getHandle(), logoId_, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)logo_);
  return false;
}

bool NotificationDialog::animate(DWORD flags) {
  typedef BOOL(WINAPI * AnimateWindowFn)(HWND, DWORD, DWORD);
  static plat::DynamicFnT<AnimateWindowFn> animateWindow("user32", "AnimateWindow");
  if (!animateWindow.isValid() || os::osVersion().is9x())
    return false;
  return animateWindow.get()(getHandle(), FadeMs, flags) != FALSE;
}

void NotificationDialog::bringToFront() {
  HWND window = getHandle();
  RECT r;
  GetWindowRect(window, &r);
  SetWindowPos(window, nullptr, anchorX_ - (r.right - r.left), anchorY_ - (r.bottom - r.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Fading fails on a window that already shows: it is then brought up.
  if (!animate(AW_BLEND))
    Dialog::bringToFront();
}

bool NotificationDialog::drawItem(const DRAWITEMSTRUCT* item) {
  if (!(item->itemAction & ODA_DRAWENTIRE))
    return true;
  FillRect(item->hDC, &item->rcItem, whiteBrush());
  auto text = texts_.find((int)item->CtlID);
  if (text == texts_.end())
    return true;
  SetBkColor(item->hDC, RGB(255, 255, 255));
  if (!hyperlinks_.isCompiled(item->hwndItem)) {
    RECT area = item->rcItem;
    hyperlinks_.initTabs(text->second.c_str(), item->hDC, &area, item->hwndItem, linkCallback_);
  }
  hyperlinks_.draw(item->hwndItem, item->hDC);
  return true;
}

INT_PTR NotificationDialog::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_DRAWITEM: {
    const DRAWITEMSTRUCT* item = (const DRAWITEMSTRUCT*)lParam;
    if (item && item->CtlType == ODT_STATIC)
      return drawItem(item);
    break;
  }
  case WM_TIMER:
    animate(AW_HIDE | AW_BLEND);
    end(false);
    if (doneEvent_)
      SetEvent(doneEvent_);
    return 1;
  case WM_CTLCOLORDLG:
    return (INT_PTR)whiteBrush();
  }
  if (hyperlinks_.handleDialogMessage(hwnd, message, wParam, lParam))
    return 1;
  return Dialog::handleMessage(hwnd, message, wParam, lParam);
}

} // namespace ui
