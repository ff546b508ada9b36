// The address book's private window messages. WM_APP and up, never
// WM_USER and up: in a dialog those are the dialog manager's own (WM_USER
// is DM_GETDEFID, sent at every Enter).
#pragma once

#include <windows.h>

namespace addrbook {

enum {
  // The notification-area icon's mouse messages (lParam) to the main window.
  WM_APP_TRAY = WM_APP + 1,
  // The tree dialog's deferred work (reload, connections from the viewer).
  WM_APP_IDLE_WORK = WM_APP + 2,
  // The quick-launch popup: launch the list item wParam.
  WM_APP_LAUNCH_ITEM = WM_APP + 3,
  // The tree dialog: upgrade the entries that need it, now that a master
  // password is held.
  WM_APP_UPGRADE = WM_APP + 4,
};

} // namespace addrbook
