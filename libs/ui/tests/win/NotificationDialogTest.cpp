#include "LinkDialogs.h"
#include "os/win/StartupValues.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "testing/EventPump.h"
#include "ui/Logo.h"
#include "ui/win/NotificationDialog.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::pumpFor;
using testing_support::pumpUntil;

namespace {

struct Owner : plat::MarkUp::LinkCallback {
  void linkClicked(int linkId) override { clicks.push_back(linkId); }
  std::vector<int> clicks;
};

// "LOGO_<width>x<height>", the name a logo of that size has.
std::wstring logoName(HBITMAP bitmap) {
  BITMAP info = {};
  GetObjectW(bitmap, sizeof info, &info);
  return L"LOGO_" + std::to_wstring(info.bmWidth) + L"x" + std::to_wstring(info.bmHeight);
}

// A click at the text control's top-left corner, where its first run is.
void clickFirstRun(HWND text) {
  RedrawWindow(GetParent(text), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  POINT p = {3, 3};
  ClientToScreen(text, &p);
  SetCursorPos(p.x, p.y);
  SendMessageW(text, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(text, WM_LBUTTONUP, 0, 0);
}

} // namespace

TEST(NotificationDialog, LogosForEveryResolutionAreInTheResources) {
  for (int dpi : {96, 120, 144}) {
    HBITMAP logo = LoadBitmapW(GetModuleHandleW(nullptr), ui::logoResourceName(dpi));
    EXPECT_EQ(ui::logoResourceName(dpi), logoName(logo));
    DeleteObject(logo);
  }
}

TEST(NotificationDialog, PopsUpInTheCornerRestartsItsTimeAndEnds) {
  plat::EventManager events;
  plat::TimerManager timers;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ui::NotificationDialog popup(L"NOTIFY_TEST", IDC_NOTIFY_LOGO, nullptr, done);
  popup.setText(IDC_NOTIFY_TEXT,
                "^bFile transfer complete.^n\n^1{All files have been transferred.^}");
  popup.popup(60000);
  HWND window = popup.getHandle();
  ASSERT_TRUE(IsWindowVisible(window));
  RECT r, work;
  GetWindowRect(window, &r);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work.right, r.right);
  EXPECT_EQ(work.bottom, r.bottom);

  HBITMAP logo =
      (HBITMAP)SendDlgItemMessageW(window, IDC_NOTIFY_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0);
  EXPECT_EQ(ui::logoResourceName(os::screenDpi()), logoName(logo));

  // Popped up again while it shows, it counts the new time from then on.
  // Which time ends it tells whether it restarted, however late this
  // machine runs: a minute cut to a moment...
  popup.popup(200);
  EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }, 10000));
  EXPECT_EQ(nullptr, popup.getHandle());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 0));

  // ...and a moment drawn out to a minute: the moment is gone.
  ResetEvent(done);
  popup.popup(200);
  window = popup.getHandle();
  popup.popup(60000);
  pumpFor(1000);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(done, 0));
  CloseHandle(done);
}

TEST(NotificationDialog, LinkClicksReachTheOwnerAndANewTextIsShown) {
  plat::EventManager events;
  plat::TimerManager timers;
  Owner owner;
  ui::NotificationDialog popup(L"NOTIFY_TEST", IDC_NOTIFY_LOGO);
  popup.setLinkCallback(&owner);
  popup.setText(IDC_NOTIFY_TEXT, "^1{File transfer failed.^}");
  popup.popup(0);
  HWND text = GetDlgItem(popup.getHandle(), IDC_NOTIFY_TEXT);
  clickFirstRun(text);
  EXPECT_EQ(std::vector<int>{1}, owner.clicks);

  popup.setText(IDC_NOTIFY_TEXT, "^2{Try again^} later");
  clickFirstRun(text);
  EXPECT_EQ((std::vector<int>{1, 2}), owner.clicks);
  // Without a time it stays.
  pumpFor(300);
  EXPECT_TRUE(IsWindowVisible(popup.getHandle()));
}
