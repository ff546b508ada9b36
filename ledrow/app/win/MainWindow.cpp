#include "ledrow/app/win/MainWindow.h"
#include "ledrow/app/ConnectionText.h"
#include "ledrow/app/Geometry.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/TrayMenuLayout.h"
#include "ledrow/app/win/AppMessages.h"
#include "ledrow/app/win/OptionsDlg.h"
#include "ledrow/app/win/QuickLaunchDlg.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/app/win/SettingsKey.h"
#include "ledrow/app/win/TrayIcon.h"
#include "ledrow/book/TreeLeaf.h"
#include "os/win/MonitorInfo.h"
#include "os/win/OSVersionInfo.h"
#include "os/win/StartupValues.h"
#include "plat/DString.h"
#include "plat/win/Unicode.h"
#include "ui/win/WindowClass.h"

#include <commctrl.h>

namespace addrbook {

const wchar_t* const MainWindow::ClassName = L"Torvane.Ostrel.AddressBook";

static const wchar_t* const AppIcon = L"!APP_ICON";
static const int StatusBarId = 1;

UINT taskbarCreatedMessage() {
  static UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

namespace {

const ui::WindowClass& windowClass(HINSTANCE instance) {
  HICON small = (HICON)LoadImageW(instance, AppIcon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                  GetSystemMetrics(SM_CYSMICON), LR_SHARED);
  static ui::WindowClass cls(MainWindow::ClassName, MAKEINTRESOURCEW(IDR_MAIN_MENU),
                             LoadCursorW(nullptr, IDC_ARROW), LoadIconW(instance, AppIcon), small,
                             (HBRUSH)(COLOR_BTNFACE + 1), 0, instance);
  return cls;
}

// The window's place when it is neither minimised nor maximised, in
// screen coordinates.
RECT normalRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  if (!IsIconic(window) && !IsZoomed(window))
    return r;
  WINDOWPLACEMENT placement = {sizeof(placement)};
  if (!GetWindowPlacement(window, &placement))
    return r;
  // The placement is in work-area coordinates.
  r = placement.rcNormalPosition;
  os::MonitorInfo monitor(r);
  OffsetRect(&r, monitor.workArea().left - monitor.monitor().left,
             monitor.workArea().top - monitor.monitor().top);
  return r;
}

// A menu item's text, shown as it is: "&" would underline the next letter.
std::wstring menuText(const char* name) {
  plat::WString wide(name);
  std::wstring text;
  for (const wchar_t* c = wide.c_str(); *c; c++) {
    if (*c == L'&')
      text += L'&';
    text += *c;
  }
  return text;
}

bool hasQuickLaunch() {
  const OSVERSIONINFOEXW& v = os::osVersion().record();
  return v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1);
}

} // namespace

MainWindow::MainWindow(HINSTANCE instance)
    : CustomWindow(instance), smallIcon_(nullptr), trayMenu_(nullptr), statusBar_(nullptr),
      statusHeight_(0), about_(AppIcon), doubleClicked_(false) {
  HINSTANCE module = getInstance();
  smallIcon_ = (HICON)LoadImageW(module, MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON,
                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                 LR_SHARED);
  if (!smallIcon_ || !LoadIconW(module, AppIcon))
    throw plat::SystemException("LoadIcon", (int)GetLastError());

  Geometry place = parseGeometry(geometry.getValueStr().c_str());
  if (geometry.getValueStr().length() == 0) {
    place.width = os::dpiScaled(place.width);
    place.height = os::dpiScaled(place.height);
  }
  create(windowClass(module).atom(), "Kiv Address Book", WS_OVERLAPPEDWINDOW, place.left,
         place.top, place.width, place.height);
  // A place saved on another screen arrangement must not hide the window.
  os::clipTo(os::MonitorInfo(getHandle()).info(), getHandle());

  trayIcon_.reset(new TrayIcon(getHandle(), WM_APP_TRAY, smallIcon_, L"Kiv Address Book"));
  if (minimiseToTray)
    trayIcon_->add();

  dialog_.reset(new MainDialog(getHandle(), this, this));
  quickLaunch_.reset(new QuickLaunchDlg(dialog_.get()));

  statusBar_ = CreateStatusWindowW(WS_CHILD | SBARS_SIZEGRIP, L"", getHandle(), StatusBarId);
  if (!statusBar_)
    throw plat::SystemException("CreateStatusWindow", (int)GetLastError());
  RECT status;
  GetClientRect(statusBar_, &status);
  statusHeight_ = status.bottom;
  showStatusBar(statusBar);
  showDetails(details);
  showToolbar(toolbar);

  passwordChanged(true);
  setMenuText(ID_LAUNCH_VIEWER, "&Launch Kiv Viewer");
}

MainWindow::~MainWindow() {
  trayIcon_.reset();
  destroy();
  quickLaunch_.reset();
  dialog_.reset();
  if (trayMenu_)
    DestroyMenu(trayMenu_);
}

void MainWindow::setMenuText(int id, const char* text) {
  plat::WString wide(text);
  MENUITEMINFOW item = {sizeof(item)};
  item.fMask = MIIM_STRING;
  item.dwTypeData = (wchar_t*)wide.c_str();
  HMENU menu = id == ID_TRAY_LAUNCH_VIEWER ? trayPopup() : GetMenu(getHandle());
  SetMenuItemInfoW(menu, id, FALSE, &item);
}

HMENU MainWindow::trayPopup() {
  if (!trayMenu_)
    makeTrayMenu();
  return GetSubMenu(trayMenu_, 0);
}

bool MainWindow::trayIconAdded() const { return trayIcon_ && trayIcon_->isAdded(); }

// The parts the window shows.

void MainWindow::layout(int width, int height) {
  if (!dialog_)
    return; // still being made
  int status = statusBar ? statusHeight_ : 0;
  MoveWindow(dialog_->getHandle(), 0, 0, width, height - status, TRUE);
  if (statusBar) {
    MoveWindow(statusBar_, 0, height - status, width, status, TRUE);
    int parts[2] = {os::dpiScaled(80), -1};
    SendMessageW(statusBar_, SB_SETPARTS, 2, (LPARAM)parts);
  }
}

void MainWindow::showStatusBar(bool show) {
  statusBar.setValue(show, plat::PriorityUser);
  CheckMenuItem(GetMenu(getHandle()), ID_STATUS_BAR, show ? MF_CHECKED : MF_UNCHECKED);
  ShowWindow(statusBar_, show ? SW_SHOW : SW_HIDE);
  RECT client;
  GetClientRect(getHandle(), &client);
  layout(client.right, client.bottom);
}

void MainWindow::showToolbar(bool show) {
  toolbar.setValue(show, plat::PriorityUser);
  CheckMenuItem(GetMenu(getHandle()), ID_TOOLBAR, show ? MF_CHECKED : MF_UNCHECKED);
  dialog_->applyToolbar();
}

void MainWindow::showDetails(bool show) {
  details.setValue(show, plat::PriorityUser);
  CheckMenuItem(GetMenu(getHandle()), ID_DETAILS, show ? MF_CHECKED : MF_UNCHECKED);
  dialog_->applyDetails();
}

void MainWindow::setEntryCount(int count) {
  plat::DString text;
  text.appendf("%i entr%s", count, count == 1 ? "y" : "ies");
  plat::WString wide(text.c_str());
  SendMessageW(statusBar_, SB_SETTEXTW, 0, (LPARAM)wide.c_str());
}

void MainWindow::updateEditMenu(bool entrySelected, bool folderEditable) {
  HMENU menu = GetMenu(getHandle());
  UINT edit = entrySelected || folderEditable ? MF_ENABLED : MF_GRAYED;
  EnableMenuItem(menu, ID_DELETE, MF_BYCOMMAND | edit);
  EnableMenuItem(menu, ID_RENAME, MF_BYCOMMAND | edit);
  EnableMenuItem(menu, ID_PROPERTIES, MF_BYCOMMAND | (entrySelected ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::showOptions() {
  // The dialog's "Change..." protects the book's entries anew.
  IdleWork::Hold hold(dialog_->idleWork());
  OptionsDlg options(dialog_.get());
  if (!options.runModal(getHandle()))
    return;
  if (minimiseToTray)
    trayIcon_->add();
  else
    trayIcon_->remove();
}

void MainWindow::passwordChanged(bool forgotten) {
  EnableMenuItem(GetMenu(getHandle()), ID_FORGET_PASSWORD,
                 MF_BYCOMMAND | (forgotten ? MF_GRAYED : MF_ENABLED));
  SendMessageW(statusBar_, SB_SETTEXTW, 1,
               (LPARAM)(forgotten ? L"Master Password: Required" : L"Master Password: Stored"));
}

void MainWindow::showAndRaise() {
  ShowWindow(getHandle(), IsIconic(getHandle()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(getHandle());
}

// The notification area.

// A menu item for each entry weighs as much as the entry itself: the menu
// of a large book is made only when it is shown. Its commands launch their
// entries from the moment the book is loaded.
void MainWindow::buildTrayMenu() {
  if (trayMenu_)
    DestroyMenu(trayMenu_);
  trayMenu_ = nullptr;
  idMap_ = trayMenuEntries(dialog_->roots(), ID_FIRST_ENTRY);
}

void MainWindow::makeTrayMenu() {
  HMENU menu = LoadMenuW(getInstance(), MAKEINTRESOURCEW(IDR_TRAY_MENU));
  if (!menu)
    throw plat::SystemException("LoadMenu", (int)GetLastError());
  HMENU popup = GetSubMenu(menu, 0);
  if (!popup) {
    DestroyMenu(menu);
    throw plat::SystemException("GetSubMenu", (int)GetLastError());
  }
  trayMenu_ = menu;
  SetMenuDefaultItem(popup, ID_OPEN_BOOK, FALSE);
  HMENU entries = CreatePopupMenu();
  MENUITEMINFOW item = {sizeof(item)};
  item.fMask = MIIM_SUBMENU;
  item.hSubMenu = entries;
  SetMenuItemInfoW(popup, ID_CONNECT_TO, FALSE, &item);
  setMenuText(ID_TRAY_LAUNCH_VIEWER, "&Launch Kiv Viewer");

  // The items with the ids the commands were numbered with at the load.
  struct Items : TrayMenuVisitor {
    std::vector<HMENU> open;
    void beginFolder(int, const TreeBranch& folder) override {
      HMENU inner = CreatePopupMenu();
      AppendMenuW(open.back(), MF_POPUP | MF_STRING, (UINT_PTR)inner,
                  menuText(folder.getName()).c_str());
      open.push_back(inner);
    }
    void endFolder() override { open.pop_back(); }
    void entry(int id, TreeLeaf* leaf) override {
      AppendMenuW(open.back(), MF_STRING, id, menuText(leaf->getName()).c_str());
    }
  } items;
  items.open.push_back(entries);
  walkTrayMenu(dialog_->roots(), ID_FIRST_ENTRY, items);
}

void MainWindow::openTrayMenu() {
  POINT at;
  GetCursorPos(&at);
  SetForegroundWindow(getHandle());
  // The menu's items point at the book's nodes until the chosen one runs.
  IdleWork::Hold hold(dialog_->idleWork());
  int chosen = TrackPopupMenu(trayPopup(), TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0,
                              getHandle(), nullptr);
  if (chosen)
    command(chosen);
  PostMessageW(getHandle(), WM_NULL, 0, 0);
}

void MainWindow::onTrayMessage(UINT mouseMessage) {
  switch (mouseMessage) {
  case WM_LBUTTONUP: {
    if (doubleClicked_) {
      doubleClicked_ = false;
      return;
    }
    if (!hasQuickLaunch())
      return;
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(getHandle());
    quickLaunch_->show(getHandle(), at);
    return;
  }
  case WM_LBUTTONDBLCLK:
    doubleClicked_ = true;
    showAndRaise();
    return;
  case WM_RBUTTONUP:
    openTrayMenu();
    return;
  }
}

// Commands and messages.

bool MainWindow::command(int id) {
  switch (id) {
  case ID_LAUNCH_VIEWER:
  case ID_TRAY_LAUNCH_VIEWER:
    dialog_->launcher().startViewerOrReport("", getHandle());
    return true;
  case ID_NEW_ENTRY:
    dialog_->newEntry();
    return true;
  case ID_NEW_FOLDER:
    dialog_->newFolder();
    return true;
  case ID_PROPERTIES:
    dialog_->showProperties();
    return true;
  case ID_DELETE:
    dialog_->deleteItem(TreeView_GetSelection(dialog_->treeView()), true);
    return true;
  case ID_RENAME:
    dialog_->editLabel();
    return true;
  case ID_OPTIONS:
    showOptions();
    return true;
  case ID_EXPORT:
    dialog_->exportXml(true);
    return true;
  case ID_IMPORT:
    dialog_->importXml(true);
    return true;
  case ID_EXIT:
    SendMessageW(getHandle(), WM_CLOSE, 0, 0);
    return true;
  case ID_TOOLBAR:
    showToolbar(!toolbar);
    return true;
  case ID_DETAILS:
    showDetails(!details);
    return true;
  case ID_STATUS_BAR:
    showStatusBar(!statusBar);
    return true;
  case ID_FORGET_PASSWORD:
    if (dialog_->passwordStore().hasPassword())
      dialog_->passwordStore().forget();
    else
      dialog_->passwordStore().askPassword(getHandle());
    return true;
  case ID_ABOUT:
    about_.runModal(getHandle());
    return true;
  case ID_OPEN_BOOK:
    showAndRaise();
    return true;
  }
  auto entry = idMap_.find(id);
  if (entry == idMap_.end())
    return false;
  dialog_->launchEntry(entry->second);
  return true;
}

LRESULT MainWindow::receiveConnection(const COPYDATASTRUCT* data) {
  std::unique_ptr<EncryptedConfig> connection(new EncryptedConfig);
  try {
    readConnectionText(data ? data->lpData : nullptr, data ? data->cbData : 0, connection.get());
  } catch (const plat::Exception& e) {
    // The sender is not kept waiting on our message box.
    ReplyMessage(0);
    dialog_->reportNewEntryFailure(e.str());
    return 0;
  }
  ReplyMessage(1);
  // Added once no dialog holds the book, after any sent before it.
  if (!dialog_->idleWork().queueConnection(std::move(connection)))
    mainDialogLog.info("connections are arriving faster than they are added: the newest took "
                       "the place of the last one waiting");
  return 1;
}

void MainWindow::saveSettings() {
  try {
    RECT r = normalRect(getHandle());
    Geometry place{r.right - r.left, r.bottom - r.top, r.left, r.top};
    os::RegKey& key = settingsKey();
    key.setString(geometry.getName(), formatGeometry(place).c_str());
    key.setBool(statusBar.getName(), statusBar);
    key.setBool(toolbar.getName(), toolbar);
    key.setBool(details.getName(), details);
  } catch (const plat::Exception&) {
    // Closing goes on: the next start uses what was saved before.
  }
}

LRESULT MainWindow::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreatedMessage() && trayIcon_) {
    // The shell forgot the icon; it comes back only where it is wanted.
    if (minimiseToTray)
      trayIcon_->restore();
    else
      trayIcon_->remove();
    return 0;
  }
  switch (message) {
  case WM_SIZE:
    if (LOWORD(lParam) || HIWORD(lParam))
      layout(LOWORD(lParam), HIWORD(lParam));
    return 0;
  case WM_GETMINMAXINFO:
    ((MINMAXINFO*)lParam)->ptMinTrackSize = POINT{os::dpiScaled(300), os::dpiScaled(300)};
    return 0;
  case WM_CLOSE:
    saveSettings();
    trayIcon_->remove();
    PostQuitMessage(0);
    break;
  case WM_COPYDATA:
    return receiveConnection((const COPYDATASTRUCT*)lParam);
  case WM_COMMAND:
    if (HIWORD(wParam) == 0 && command(LOWORD(wParam)))
      return 0;
    break;
  case WM_SYSCOMMAND:
    // Hidden only where the icon can bring it back.
    if ((wParam == SC_MINIMIZE || wParam == SC_CLOSE) && minimiseToTray && trayIcon_->isAdded()) {
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    }
    break;
  case WM_APP_TRAY:
    onTrayMessage((UINT)lParam);
    return 0;
  }
  return CustomWindow::handleMessage(hwnd, message, wParam, lParam);
}

} // namespace addrbook
