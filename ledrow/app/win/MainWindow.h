// The frame of the address book: a top-level window of the class the
// single-instance rule looks for, holding the entry tree dialog and a
// status bar, with the main menu, an icon in the notification area with
// its menu and quick-launch popup, and the receiver of the connections
// that the viewer's "Save Connection" sends (WM_COPYDATA).
#pragma once

#include "ledrow/app/win/MainDialog.h"
#include "ledrow/passwords/PasswdStoreBase.h"
#include "ui/win/AboutDialog.h"
#include "ui/win/CustomWindow.h"

#include <map>
#include <memory>

namespace addrbook {

class QuickLaunchDlg;
class TrayIcon;

class MainWindow : public PasswdStoreBase::PWSCallback,
                   public ui::CustomWindow,
                   public MainDialog::Frame {
public:
  static const wchar_t* const ClassName;

  // Throws plat::SystemException "LoadIcon" or "CreateStatusWindow".
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow() override;

  LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  void passwordChanged(bool forgotten) override;
  void setEntryCount(int count) override;
  void buildTrayMenu() override;
  void updateEditMenu(bool entrySelected, bool folderEditable) override;

  void showStatusBar(bool show);
  void showToolbar(bool show);
  void showDetails(bool show);
  // Shown (restored when minimised) and brought to the front.
  void showAndRaise();

  MainDialog& dialog() { return *dialog_; }
  HWND statusBarWindow() const { return statusBar_; }
  // The notification-area menu (its popup part), made from the book when
  // first asked for after a load.
  HMENU trayPopup();
  // The entries of its "Connect to" items by command id, from the load on.
  const std::map<int, TreeLeaf*>& trayEntries() const { return idMap_; }
  bool trayIconAdded() const;
  QuickLaunchDlg& quickLaunch() { return *quickLaunch_; }

private:
  void layout(int width, int height);
  bool command(int id);
  LRESULT receiveConnection(const COPYDATASTRUCT* data);
  void onTrayMessage(UINT mouseMessage);
  void openTrayMenu();
  void saveSettings();
  void makeTrayMenu();
  void setMenuText(int id, const char* text);
  void showOptions();

  HICON smallIcon_;
  HMENU trayMenu_;
  std::map<int, TreeLeaf*> idMap_;
  std::unique_ptr<TrayIcon> trayIcon_;
  std::unique_ptr<MainDialog> dialog_;
  HWND statusBar_;
  int statusHeight_;
  ui::AboutDialog about_;
  std::unique_ptr<QuickLaunchDlg> quickLaunch_;
  bool doubleClicked_;
};

// The message the shell broadcasts when it starts ("TaskbarCreated").
UINT taskbarCreatedMessage();

} // namespace addrbook
