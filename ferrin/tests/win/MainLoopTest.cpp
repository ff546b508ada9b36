// The main thread's loop and the thread's modeless dialogs.
#include "ferrin/win/FerrinResources.h"
#include "ferrin/win/MainLoop.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "ui/win/Dialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

TEST(MainLoop, AModelessDialogGetsItsKeysBeforeTheyAreDispatched) {
  plat::EventManager events;
  plat::TimerManager timers;
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&controls);
  struct Plain : ui::Dialog {
    Plain() : ui::Dialog(L"FILETRANSFER") {}
  } dialog;
  dialog.show(nullptr);
  HWND send = GetDlgItem(dialog.getHandle(), IDC_FT_SENDFILES);
  SetFocus(send);
  // Dispatched to the button, Tab would do nothing; the dialog moves on.
  PostMessageW(send, WM_KEYDOWN, VK_TAB, 0);
  PostQuitMessage(3);
  bool connected = true;
  EXPECT_EQ(3, ferrin::runMainLoop(connected));
  EXPECT_EQ(GetDlgItem(dialog.getHandle(), IDC_FT_CLEAR), GetFocus());
}
