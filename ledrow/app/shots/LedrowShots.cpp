// Pictures of the address book's windows for ./dev shots: the main window
// in both views, the notification-area menu, the quick-launch popup and
// the password dialogs, an entry's properties and the options dialog.
#include "../tests/win/BookScene.h"
#include "ledrow/app/win/EntryProperties.h"
#include "ledrow/app/win/GetImportPasswdDlg.h"
#include "ledrow/app/win/GetPasswdDlg.h"
#include "ledrow/app/win/OptionsDlg.h"
#include "ledrow/app/win/MainWindow.h"
#include "ledrow/app/win/PasswordBehaviourDlg.h"
#include "ledrow/app/win/QuickLaunchDlg.h"
#include "ledrow/app/win/SetPasswdDlg.h"
#include "os/win/StartupValues.h"
#include "testing/ModalHelper.h"
#include "testing/Shots.h"
#include "testing/WindowInput.h"

#include <thread>

using namespace addrbook;
using addrbook_test::BookScene;
using testing_support::ModalHelper;

namespace {

void mainWindowShot(testing_support::Shot& shot, bool alphabetic) {
  BookScene scene;
  scene.set(alpha, alphabetic ? "1" : "0");
  MainWindow window(nullptr);
  SetWindowPos(window.getHandle(), nullptr, 20, 20, os::dpiScaled(420), os::dpiScaled(560), SWP_NOZORDER);
  window.dialog().loadTree();
  window.dialog().refreshTree(scene.path("Office\\Accounts.kiv").c_str());
  window.showAndRaise();
  shot.save(window.getHandle());
}

// A plain window under a menu or a popup, so that one picture holds every
// part of it.
struct Backdrop {
  HWND window;
  Backdrop(int x, int y, int width, int height) {
    window = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE | SS_WHITERECT, x, y,
                             width, height, nullptr, nullptr, nullptr, nullptr);
  }
  ~Backdrop() { DestroyWindow(window); }
};

// The first visible menu window of this process, within a few seconds.
HWND waitForMenu(HWND after) {
  for (int i = 0; i < 300; i++) {
    HWND menu = nullptr;
    while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)))
      if (menu != after && IsWindowVisible(menu))
        return menu;
    Sleep(10);
  }
  return nullptr;
}

} // namespace

KIV_SHOT(main_window) { mainWindowShot(shot, true); }

KIV_SHOT(main_window_folders) { mainWindowShot(shot, false); }

// The notification-area menu with its "Connect to" list open.
KIV_SHOT(tray_menu) {
  BookScene scene;
  MainWindow window(nullptr);
  window.dialog().loadTree();
  Backdrop backdrop(os::dpiScaled(300), os::dpiScaled(200), os::dpiScaled(400), os::dpiScaled(150));
  std::thread driver([&] {
    HWND menu = waitForMenu(nullptr);
    testing_support::pressKey(menu, VK_DOWN);
    testing_support::pressKey(menu, VK_DOWN);
    testing_support::pressKey(menu, VK_RIGHT);
    HWND entries = waitForMenu(menu);
    Sleep(300);
    shot.save(backdrop.window, entries);
    PostMessageW(window.getHandle(), WM_CANCELMODE, 0, 0);
    testing_support::pressKey(entries, VK_ESCAPE);
    testing_support::pressKey(menu, VK_ESCAPE);
  });
  SetForegroundWindow(window.getHandle());
  TrackPopupMenu(window.trayPopup(), TPM_RIGHTBUTTON, os::dpiScaled(310), os::dpiScaled(210), 0, window.getHandle(),
                 nullptr);
  driver.join();
}

// The quick-launch popup with its list of entries open.
KIV_SHOT(quick_launch) {
  BookScene scene;
  MainWindow window(nullptr);
  window.dialog().loadTree();
  // The popup opens against the taskbar, at the bottom of the screen.
  int bottom = GetSystemMetrics(SM_CYSCREEN);
  Backdrop backdrop(os::dpiScaled(300), bottom - os::dpiScaled(320), os::dpiScaled(420), os::dpiScaled(320));
  ModalHelper helper;
  helper.expect(L"", [&](HWND popup) {
    SendMessageW(testing_support::findDescendant(popup, 1012), CB_SHOWDROPDOWN, TRUE, 0);
    Sleep(300);

    shot.save(backdrop.window, popup);
    ModalHelper::dismiss(popup);
  });
  window.quickLaunch().show(window.getHandle(), POINT{os::dpiScaled(320), bottom - os::dpiScaled(10)});
}

// The master-password prompt after a wrong password.
KIV_SHOT(master_password) {
  BookScene scene;
  ModalHelper helper;
  helper.expect(L"Enter Master Password", [&](HWND dialog) {
    SetDlgItemTextW(dialog, 1011, L"wrong");
    testing_support::clickButton(dialog, IDOK);
    Sleep(300);
    shot.save(dialog);
    ModalHelper::dismiss(dialog);
  });
  GetPasswdDlg prompt;
  prompt.runModal(nullptr);
}

KIV_SHOT(master_password_upgrade) {
  BookScene scene;
  ModalHelper helper;
  helper.expect(L"Enter Master Password", [&](HWND dialog) {
    shot.save(dialog);
    ModalHelper::dismiss(dialog);
  });
  GetPasswdDlg prompt("Please enter your Master Password to upgrade your existing address book "
                      "entries to the new format.");
  prompt.runModal(nullptr);
}

KIV_SHOT(choose_master_password) {
  ModalHelper helper;
  helper.expect(L"Enter Master Password", [&](HWND dialog) {
    shot.save(dialog);
    ModalHelper::dismiss(dialog);
  });
  SetPasswdDlg dialog;
  dialog.runModal(nullptr);
}

KIV_SHOT(password_behaviour) {
  BookScene scene(false);
  ModalHelper helper;
  helper.expect(L"Password Behaviour", [&](HWND dialog) {
    shot.save(dialog);
    ModalHelper::dismiss(dialog);
  });
  PasswordBehaviourDlg dialog;
  dialog.setEntryName("build.example.org-5901");
  dialog.runModal(nullptr);
}

KIV_SHOT(import_password) {
  BookScene scene;
  ModalHelper helper;
  helper.expect(L"Enter Import Password", [&](HWND dialog) {
    shot.save(dialog);
    ModalHelper::dismiss(dialog);
  });
  GetImportPasswdDlg prompt(addrbook::sample::verifier("export words").c_str());
  prompt.runModal(nullptr);
}

namespace {

// An entry's properties sheet at page (0 the server page) of the basic set.
void propertiesShot(testing_support::Shot& shot, int page) {
  BookScene scene;
  scene.set(advancedOptions, "0");
  EncryptedConfig entry;
  entry.loadFromFile(scene.path("Alpha desk.kiv").c_str());
  ModalHelper helper;
  helper.expect(L"Properties", [&](HWND sheet) {
    SendMessageW(sheet, PSM_SETCURSEL, page, 0);
    Sleep(300);
    shot.save(sheet);
    ModalHelper::dismiss(sheet);
  });
  MainWindow window(nullptr);
  showEntryProperties(entry, "Alpha desk", window.dialog().passwordStore(), nullptr, nullptr);
}

} // namespace

KIV_SHOT(properties_server) { propertiesShot(shot, 0); }

KIV_SHOT(properties_basic) { propertiesShot(shot, 1); }

KIV_SHOT(options) {
  BookScene scene;
  scene.set(passwordExpiry, "7200");
  scene.set(rememberPassword, "1");
  MainWindow window(nullptr);
  window.dialog().loadTree();
  ModalHelper helper;
  helper.expect(L"Options", [&](HWND dialog) {
    shot.save(dialog);
    ModalHelper::dismiss(dialog);
  });
  OptionsDlg options(&window.dialog());
  options.runModal(nullptr);
}
