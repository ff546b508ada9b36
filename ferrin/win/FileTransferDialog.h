// ferrin's one main window, "File Transfer - Kiv Server": the downloads
// list fills its upper part; below it "Send files...", "Clear" and the
// download-location box "Fetch files to:". Made hidden with the window
// thread, shown when a download starts, when another process signals
// "SendFilesToViewers", or at once without a connection; Close and Escape
// only hide it.
//
// "Send files..." runs the file-or-folder chooser and hands the choice to
// the upload manager's proxy, which makes a share that the other end saves
// into its fetch folder. The download location is the FetchDir setting,
// also written into the settings key. Window thread only.
#pragma once

#include "ferrin/win/DownloadNotifications.h"
#include "ferrin/win/DownloadsUI.h"
#include "ferrin/win/FileTransferWindow.h"
#include "os/win/RegKey.h"
#include "ui/win/ComboBoxEx.h"
#include "ui/win/Dialog.h"
#include "ui/win/PolicyWindow.h"
#include "ui/win/ResizeGrip.h"

#include <atomic>
#include <memory>

namespace ft {

class DownloadsDialogProxy;
class UploadManagerProxy;

class FileTransferDialog : public ui::Dialog,
                           public DownloadsUI::Host,
                           public FileTransferWindow {
public:
  // downloads: the model's queue (the window hands the model its view
  // through it); uploads: where chosen files go; stopping: set once the
  // program ends (chosen files are then dropped); settingsKey: FetchDir is
  // written there. Creates the dialog, hidden.
  FileTransferDialog(DownloadsDialogProxy* downloads, UploadManagerProxy* uploads,
                     const std::atomic<bool>* stopping, bool serverSide,
                     const os::RegKey& settingsKey, ui::ResourceId icon, HWND owner,
                     HINSTANCE instance = nullptr);
  ~FileTransferDialog() override;

  HWND window() override { return getHandle(); }
  DownloadsUI* downloads() const { return downloads_.get(); }

  // DownloadsUI::Host: what the downloads window asks of the dialog.
  void ensureShown() override;
  void enableClear(bool enable) override;
  void notifyFinished() override;
  void notifyFailed() override;

  // The combo box's entries (-1 when absent).
  int askIndex() const { return askIndex_; }
  int currentIndex() const { return currentIndex_; }
  int desktopIndex() const { return desktopIndex_; }
  int otherIndex() const { return otherIndex_; }
  // What the location box offers: FetchDir's folder, the Desktop,
  // "Ask every time", "Other...".
  void fillLocations();
  // The FetchDir setting becomes value, and the settings key too.
  void storeLocation(const char* value);

  // The height of the strip below the list.
  int stripHeight() const;

  bool onInitDialog() override;
  bool apply() override { return false; }
  bool onCancel() override;
  bool onCommand(int id, int code) override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void layout();
  void placeBesideTaskbar();
  void sendFiles();
  void locationChosen();

  DownloadsDialogProxy* downloadsProxy_;
  UploadManagerProxy* uploads_;
  bool serverSide_;
  std::unique_ptr<DownloadsUI> downloads_;
  ui::Button clear_;
  ui::Button sendFiles_;
  ui::ComboBoxEx locations_;
  ui::Window label_;
  HWND owner_;
  ui::ResizeGrip grip_;
  NotifyDownloadsFinishedDlg finished_;
  NotifyDownloadFailedDlg failed_;
  os::RegKey settingsKey_;
  int askIndex_;
  int currentIndex_;
  int desktopIndex_;
  int otherIndex_;
  bool filled_;
  int lastClientHeight_;
  const std::atomic<bool>* stopping_;
};

} // namespace ft
