#include "ferrin/win/FileTransferDialog.h"
#include "ferrin/DisplayPath.h"
#include "ferrin/win/DownloadsDialogProxy.h"
#include "ferrin/win/FerrinResources.h"
#include "ferrin/win/UploadManagerProxy.h"
#include "ft/Parameters.h"
#include "ft/win/FetchDir.h"
#include "ft/win/FolderPrompt.h"
#include "os/win/ImpersonateCurrentUser.h"
#include "os/win/MonitorInfo.h"
#include "os/win/SpecialFolder.h"
#include "os/win/StartupValues.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"
#include "ui/win/GetFileOrFolderDialog.h"
#include "ui/win/SystemImageList.h"

#include <shellapi.h>

namespace ft {

static plat::LogWriter vlog("FTDialog");

namespace {

int systemIcon(const char* path) {
  plat::WString wide(path);
  SHFILEINFOW info = {};
  if (!SHGetFileInfoW(wide.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    return -1;
  return info.iIcon;
}

int heightOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

int widthOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.right - r.left;
}

void moveTo(HWND window, int x, int y, int width = -1, int height = -1) {
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (width < 0 ? SWP_NOSIZE : 0);
  SetWindowPos(window, nullptr, x, y, width, height, flags);
}

// One for the process, so that it opens where the last choice was made.
ui::GetFileOrFolderDialog& chooser() {
  static ui::GetFileOrFolderDialog* dialog = new ui::GetFileOrFolderDialog;
  return *dialog;
}

} // namespace

FileTransferDialog::FileTransferDialog(DownloadsDialogProxy* downloads, UploadManagerProxy* uploads,
                                       const std::atomic<bool>* stopping, bool serverSide,
                                       const os::RegKey& settingsKey, ui::ResourceId icon,
                                       HWND owner, HINSTANCE instance)
    : ui::Dialog(L"FILETRANSFER", instance, icon), downloadsProxy_(downloads), uploads_(uploads),
      serverSide_(serverSide), owner_(owner), grip_(instance), finished_(this, instance),
      failed_(this, instance), settingsKey_(settingsKey), askIndex_(-1), currentIndex_(-1),
      desktopIndex_(-1), otherIndex_(-1), filled_(false), lastClientHeight_(-1),
      stopping_(stopping) {
  createModeless(nullptr);
}

// The list and the pop-ups go before the dialog's window.
FileTransferDialog::~FileTransferDialog() { downloads_.reset(); }

int FileTransferDialog::stripHeight() const { return os::screenDpi() * 34 / 96; }

bool FileTransferDialog::onInitDialog() {
  char title[256];
  setText(plat::formatInto(title, "%s - %s", getText(),
                           serverSide_ ? "Kiv Server" : "Kiv Viewer"));
  downloads_.reset(new DownloadsUI(this, getHandle(), downloadsProxy_, serverSide_, getInstance()));
  // The model's thread waits meanwhile for the window thread to be ready.
  downloadsProxy_->model()->setUI(downloads_->proxy());
  clear_.wrap(getDlgItem(IDC_FT_CLEAR));
  sendFiles_.wrap(getDlgItem(IDC_FT_SENDFILES));
  locations_.wrap(getDlgItem(IDC_FT_FETCHDIR));
  label_.wrap(getDlgItem(IDC_FT_FETCHDIR_LABEL));
  try {
    locations_.setImageList(ui::systemImageList(true));
  } catch (const plat::Exception& e) {
    vlog.error("%s", e.str());
  }
  grip_.create(getHandle());
  clear_.setEnabled(false);
  if (owner_) {
    RECT o, d;
    GetWindowRect(owner_, &o);
    GetWindowRect(getHandle(), &d);
    moveTo(getHandle(), (o.left + o.right - (d.right - d.left)) / 2,
           (o.top + o.bottom - (d.bottom - d.top)) / 2);
  }
  if (serverSide_)
    placeBesideTaskbar();
  layout();
  return false;
}

void FileTransferDialog::placeBesideTaskbar() {
  RECT d;
  GetWindowRect(getHandle(), &d);
  int w = d.right - d.left, h = d.bottom - d.top, x = 0, y = 0;
  APPBARDATA bar = {sizeof(bar)};
  bar.hWnd = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (bar.hWnd && SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) {
    RECT work = os::MonitorInfo(bar.rc).workArea();
    x = bar.uEdge == ABE_LEFT ? work.left : work.right - w;
    y = bar.uEdge == ABE_TOP ? work.top : work.bottom - h;
  }
  moveTo(getHandle(), x, y);
}

void FileTransferDialog::layout() {
  RECT client;
  GetClientRect(getHandle(), &client);
  int W = client.right, H = client.bottom, dpi = os::screenDpi(), s = stripHeight();
  if (lastClientHeight_ >= 0) {
    RECT old = {0, lastClientHeight_ - s + 1, W, lastClientHeight_ - s + 2};
    InvalidateRect(getHandle(), &old, TRUE);
  }
  lastClientHeight_ = H;
  if (downloads_)
    moveTo(downloads_->getHandle(), 0, 0, W, H - s);
  int buttonH = heightOf(clear_.getHandle());
  int m = (s - buttonH) / 2 - 1;
  int y = H - (buttonH + m);
  int sendW = widthOf(sendFiles_.getHandle()), clearW = widthOf(clear_.getHandle());
  moveTo(sendFiles_.getHandle(), m, y);
  int clearX = 2 * m + sendW;
  moveTo(clear_.getHandle(), clearX, y);
  int comboH = heightOf(locations_.getHandle());
  int labelX = clearX + 8 * m + clearW;
  int comboY = H - (comboH + m + 1);
  moveTo(label_.getHandle(), labelX, comboY + dpi / 24);
  int comboX = labelX + widthOf(label_.getHandle()) + m;
  RECT combo;
  GetWindowRect(locations_.getHandle(), &combo);
  // The drop-down's own height is its list's: only the width changes.
  SetWindowPos(locations_.getHandle(), nullptr, comboX, comboY, W - 3 * m - comboX,
               combo.bottom - combo.top, SWP_NOZORDER | SWP_NOACTIVATE);
  grip_.reposition();
}

void FileTransferDialog::ensureShown() {
  if (!filled_)
    fillLocations();
  show(owner_);
}

void FileTransferDialog::enableClear(bool enable) {
  if (!enable && GetFocus() == clear_.getHandle())
    SetFocus(sendFiles_.getHandle());
  clear_.setEnabled(enable);
}

void FileTransferDialog::notifyFinished() { finished_.popup(DownloadNotification::ShowMs); }

void FileTransferDialog::notifyFailed() { failed_.popup(DownloadNotification::ShowMs); }

bool FileTransferDialog::onCancel() {
  ui::Window::show(false);
  return false;
}

void FileTransferDialog::fillLocations() {
  filled_ = true;
  locations_.clear();
  askIndex_ = currentIndex_ = desktopIndex_ = otherIndex_ = -1;
  askIndex_ = locations_.addItem("Ask every time", I_IMAGENONE);
  plat::String current;
  if (!fetchDirAsksEveryTime()) {
    try {
      current = defaultFetchDir();
      plat::String shown = plat::String::adopt(displayPath(current.c_str()));
      currentIndex_ = locations_.addItem(shown.c_str(), systemIcon(current.c_str()));
    } catch (const plat::Exception& e) {
      vlog.error("%s", e.str());
      current = plat::String();
    }
  }
  try {
    plat::String desktop = os::getSpecialFolderPath();
    if (current.isNull() || plat::strCaseCmp(current.c_str(), desktop.c_str()) != 0) {
      plat::String shown = plat::String::adopt(displayPath(desktop.c_str()));
      desktopIndex_ = locations_.addItem(shown.c_str(), systemIcon(desktop.c_str()));
    }
  } catch (const plat::Exception& e) {
    vlog.error("%s", e.str());
  }
  otherIndex_ = locations_.addItem("Other...", I_IMAGENONE);
  locations_.setCurSel(currentIndex_ >= 0 ? currentIndex_ : askIndex_);
}

void FileTransferDialog::storeLocation(const char* value) {
  fetchDir.setParam(value, plat::PriorityUser);
  fillLocations();
  try {
    plat::String inForce = fetchDir.getValueStr();
    settingsKey_.setString("FetchDir", inForce.c_str());
  } catch (const plat::Exception& e) {
    vlog.error("%s", e.str());
  }
}

void FileTransferDialog::locationChosen() {
  int chosen = locations_.getCurSel();
  if (chosen == currentIndex_)
    return;
  if (chosen == askIndex_) {
    storeLocation("?");
  } else if (chosen == desktopIndex_) {
    storeLocation("");
  } else if (chosen == otherIndex_) {
    plat::String folder =
        ShellFolderPrompt().chooseFolder(getHandle(), "Choose download location.");
    if (folder.isNull())
      fillLocations(); // cancelled: back to what is set
    else
      storeLocation(folder.c_str());
  }
}

void FileTransferDialog::sendFiles() {
  std::vector<os::ItemIdList> items;
  {
    os::ImpersonateCurrentUser asUser;
    if (chooser().run(getHandle(), true, "Send Files", true))
      chooser().getItems(&items);
  }
  if (!items.empty() && !*stopping_)
    uploads_->sendFiles(std::move(items), getHandle());
}

bool FileTransferDialog::onCommand(int id, int code) {
  switch (id) {
  case IDC_FT_CLEAR:
    if (code == BN_CLICKED)
      downloads_->clear();
    return true;
  case IDC_FT_SENDFILES:
    if (code == BN_CLICKED)
      sendFiles();
    return true;
  case IDC_FT_FETCHDIR:
    if (code == CBN_SELCHANGE)
      locationChosen();
    return true;
  }
  return false;
}

INT_PTR FileTransferDialog::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  int dpi = os::screenDpi();
  switch (message) {
  case WM_GETMINMAXINFO: {
    MINMAXINFO* info = (MINMAXINFO*)lParam;
    info->ptMinTrackSize.x = dpi * 350 / 96;
    info->ptMinTrackSize.y = dpi * 200 / 96;
    return TRUE;
  }
  case WM_SIZE:
    if (clear_.getHandle())
      layout();
    break;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT line = {0, client.bottom - stripHeight() + 1, client.right,
                 client.bottom - stripHeight() + 2};
    FillRect(dc, &line, (HBRUSH)GetStockObject(WHITE_BRUSH));
    EndPaint(hwnd, &ps);
    return TRUE;
  }
  case WM_CLOSE:
    ui::Window::show(false);
    return TRUE;
  case WM_GETDLGCODE: {
    const MSG* key = (const MSG*)lParam;
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT,
                      key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN
                          ? DLGC_WANTALLKEYS
                          : DLGC_WANTARROWS);
    return TRUE;
  }
  }
  return ui::Dialog::handleMessage(hwnd, message, wParam, lParam);
}

} // namespace ft
