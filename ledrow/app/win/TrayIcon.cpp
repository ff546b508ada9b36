#include "ledrow/app/win/TrayIcon.h"

#include <shellapi.h>

#include <cwchar>

namespace addrbook {

TrayIcon::TrayIcon(HWND window, UINT callbackMessage, HICON icon, const wchar_t* tip)
    : data_(), added_(false) {
  data_.cbSize = sizeof(data_);
  data_.hWnd = window;
  data_.uID = 0;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  wcsncpy(data_.szTip, tip, sizeof(data_.szTip) / sizeof(wchar_t) - 1);
}

bool TrayIcon::add() {
  if (!added_)
    added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  return added_;
}

void TrayIcon::remove() {
  if (!added_)
    return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}

void TrayIcon::restore() {
  remove();
  add();
}

} // namespace addrbook
