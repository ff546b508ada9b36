// The file-transfer dialog under the virtual display: its layout at the
// screen's resolution (this program also runs at 144 DPI), the download
// location in the FetchDir setting and the settings key, Close that only
// hides, and the pop-ups' links.
#include "ferrin/win/DownloadsDialogProxy.h"
#include "ferrin/win/FerrinResources.h"
#include "ferrin/win/FileTransferDialog.h"
#include "ferrin/win/UploadManagerProxy.h"
#include "ft/Parameters.h"
#include "ft/proxy/Extension.h"
#include "os/win/RegKey.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "testing/EventPump.h"
#include "testing/LayoutCheck.h"
#include "testing/ReturnsWithin.h"
#include "testing/TempDir.h"
#include "win/Placement.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

using ferrin_test::placeOf;
using ferrin_test::px;

struct Dialog : testing::Test {
  plat::EventManager events;
  plat::TimerManager timers;
  ft::proxy::Extension extension;
  ft::UploadManager uploads{&extension};
  ft::UploadManagerProxy uploadProxy{&uploads, nullptr};
  ft::ShareDownloader downloader;
  ft::DownloadsDialog model{&downloader};
  ft::DownloadsDialogProxy modelProxy{&model};
  std::atomic<bool> stopping{false};
  os::RegKey key;
  std::unique_ptr<ft::FileTransferDialog> dialog;

  Dialog() {
    os::RegKey user(HKEY_CURRENT_USER);
    key.createKey(user, "Software\\Torvane\\ferrin_window_tests");
    dialog.reset(new ft::FileTransferDialog(&modelProxy, &uploadProxy, &stopping, true, key,
                                            L"!APP_ICON", nullptr));
  }
  ~Dialog() override {
    dialog.reset();
    model.setUI(nullptr);
    ft::fetchDir.removeValue(plat::PriorityUser);
    if (key.isValue("FetchDir"))
      key.deleteValue("FetchDir");
  }
  HWND item(int id) { return dialog->getDlgItem(id); }
  void choose(int index) {
    SendMessageW(item(IDC_FT_FETCHDIR), CB_SETCURSEL, index, 0);
    SendMessageW(dialog->getHandle(), WM_COMMAND, MAKEWPARAM(IDC_FT_FETCHDIR, CBN_SELCHANGE),
                 (LPARAM)item(IDC_FT_FETCHDIR));
  }
  std::string stored() {
    if (!key.isValue("FetchDir"))
      return "(none)";
    return plat::String::adopt(key.getValue("FetchDir")).c_str();
  }
};

} // namespace

TEST_F(Dialog, LaysItsStripOutAtTheScreensResolution) {
  HWND h = dialog->getHandle();
  EXPECT_FALSE(IsWindowVisible(h)); // made hidden
  EXPECT_EQ("File Transfer - Kiv Server", std::string(dialog->getText()));
  dialog->ensureShown();
  ASSERT_TRUE(IsWindowVisible(h));
  MINMAXINFO limits = {};
  SendMessageW(h, WM_GETMINMAXINFO, 0, (LPARAM)&limits);
  EXPECT_EQ(px(350), limits.ptMinTrackSize.x);
  EXPECT_EQ(px(200), limits.ptMinTrackSize.y);

  for (SIZE size : {SIZE{px(350), px(200)}, SIZE{px(520), px(400)}}) {
    SetWindowPos(h, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(h, &client);
    RECT list = placeOf(dialog->downloads()->getHandle());
    EXPECT_EQ(client.bottom - px(34), list.bottom); // the strip: 34 pixels at 96 DPI
    EXPECT_EQ(client.right, list.right);
    for (int id : {IDC_FT_SENDFILES, IDC_FT_CLEAR, IDC_FT_FETCHDIR_LABEL, IDC_FT_FETCHDIR}) {
      RECT r = placeOf(item(id));
      EXPECT_GE(r.top, list.bottom) << id;
      EXPECT_LE(r.bottom, client.bottom) << id;
    }
    for (const std::string& fault : layoutFaults(h))
      ADD_FAILURE() << size.cx << "x" << size.cy << ": " << fault;
  }
}

TEST_F(Dialog, TheDownloadLocationGoesIntoTheSettingAndTheKey) {
  TempDir elsewhere;
  ft::fetchDir.setParam(elsewhere.path().c_str(), plat::PriorityUser);
  dialog->ensureShown();
  HWND combo = item(IDC_FT_FETCHDIR);
  // Ask every time, the folder, the Desktop, Other...
  EXPECT_EQ(4, SendMessageW(combo, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(dialog->currentIndex(), SendMessageW(combo, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(1, dialog->currentIndex());

  choose(dialog->askIndex());
  EXPECT_EQ("?", std::string(ft::fetchDir.getValueStr().c_str()));
  EXPECT_EQ("?", stored());
  EXPECT_EQ(-1, dialog->currentIndex());
  EXPECT_EQ(dialog->askIndex(), SendMessageW(combo, CB_GETCURSEL, 0, 0));

  choose(dialog->desktopIndex());
  EXPECT_EQ("", std::string(ft::fetchDir.getValueStr().c_str()));
  EXPECT_EQ("", stored());
  // The Desktop is the folder now: it is listed once.
  EXPECT_EQ(3, SendMessageW(combo, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(-1, dialog->desktopIndex());
  EXPECT_EQ(dialog->currentIndex(), SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

TEST_F(Dialog, CloseHidesAndTheLinksOfThePopUpsBringItBack) {
  dialog->ensureShown();
  HWND h = dialog->getHandle();
  SendMessageW(h, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_TRUE(IsWindow(h));
  SendMessageW(h, WM_COMMAND, IDCANCEL, 0); // Escape too
  EXPECT_TRUE(IsWindow(h));

  ft::NotifyDownloadFailedDlg popup(dialog.get());
  popup.linkClicked(1);
  EXPECT_TRUE(IsWindowVisible(h));
}

TEST_F(Dialog, ClearIsEnabledWhileAFinishedDownloadIsListed) {
  dialog->ensureShown();
  ft::DownloadsDialog::DownloadId id(nullptr, 1);
  model.downloadStarted(id, {"a"});
  model.downloadComplete(id);
  HWND clear = item(IDC_FT_CLEAR);
  ASSERT_TRUE(pumpUntil([&] { return IsWindowEnabled(clear) != FALSE; }, LongWaitMs));
  SendMessageW(dialog->getHandle(), WM_COMMAND, MAKEWPARAM(IDC_FT_CLEAR, BN_CLICKED),
               (LPARAM)clear);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindowEnabled(clear); }, LongWaitMs));
  EXPECT_TRUE(dialog->downloads()->rows().empty());

  // The focus does not stay on a button that goes grey.
  dialog->enableClear(true);
  SetActiveWindow(dialog->getHandle());
  SetFocus(clear);
  ASSERT_EQ(clear, GetFocus());
  dialog->enableClear(false);
  EXPECT_EQ(item(IDC_FT_SENDFILES), GetFocus());
}
