// The main window's icon in the notification area.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace addrbook {

class TrayIcon {
public:
  // Mouse messages on the icon reach window as callbackMessage.
  TrayIcon(HWND window, UINT callbackMessage, HICON icon, const wchar_t* tip);
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { remove(); }

  // Unless it is there already; false when the shell refused it.
  bool add();
  void remove();
  // The shell started anew and forgot it: added again.
  void restore();
  bool isAdded() const { return added_; }

private:
  NOTIFYICONDATAW data_;
  bool added_;
};

} // namespace addrbook
