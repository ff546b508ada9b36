// Pictures of ferrin's windows for ./dev shots: the file-transfer dialog
// with downloads in every state (running, paused, complete, failed with
// Retry), the dialog with no downloads yet, and the two pop-ups.
#include "ferrin/win/DownloadsDialogProxy.h"
#include "ferrin/win/DownloadsUIItem.h"
#include "ferrin/win/FileTransferDialog.h"
#include "ferrin/win/UploadManagerProxy.h"
#include "ft/proxy/Extension.h"
#include "ft/win/ShareDownloader.h"
#include "os/win/RegKey.h"
#include "os/win/StartupValues.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "testing/Shots.h"
#include "testing/TempDir.h"

#include <atomic>

namespace {

int64_t now;
int64_t clock() { return now; }

// A dialog as ferrin's window thread makes it, over a model whose rows are
// drawn at once (on this one thread).
struct DialogScene {
  plat::EventManager events;
  plat::TimerManager timers;
  ft::proxy::Extension extension;
  ft::UploadManager uploads{&extension};
  ft::UploadManagerProxy uploadProxy{&uploads, nullptr};
  ft::ShareDownloader downloader;
  ft::DownloadsDialog model{&downloader, clock};
  ft::DownloadsDialogProxy modelProxy{&model};
  std::atomic<bool> stopping{false};
  os::RegKey key;
  std::unique_ptr<ft::FileTransferDialog> dialog;

  DialogScene() {
    key.createKey(os::RegKey(HKEY_CURRENT_USER), "Software\\Torvane\\kivshots");
    dialog.reset(new ft::FileTransferDialog(&modelProxy, &uploadProxy, &stopping, true, key,
                                            L"!APP_ICON", nullptr));
    model.setUI(dialog->downloads());
  }
  ~DialogScene() { model.setUI(nullptr); }

  void show(int width, int height) {
    dialog->ensureShown();
    SetWindowPos(dialog->getHandle(), nullptr, 40, 40, width * os::screenDpi() / 96,
                 height * os::screenDpi() / 96, SWP_NOZORDER);
  }
};

ft::DownloadsDialog::DownloadId id(uint32_t n) { return {nullptr, n}; }

} // namespace

KIV_SHOT(file_transfer) {
  testing_support::TempDir dir;
  testing_support::writeFile(dir.file("Quarterly report.pdf"), "%PDF");
  testing_support::writeFile(dir.file("Budget 2026.xlsx"), "x");
  DialogScene scene;
  ft::DownloadsDialog& model = scene.model;
  now = 1000 * 10000000LL;
  const char* root = dir.path().c_str();

  model.downloadStarted(id(1), {"Site photos", "Drawings"});
  model.setRootDir(id(1), root);
  model.progress(id(1), 40000000, 120000000, 30, 60);
  now += 10000000;
  model.progress(id(1), 41500000, 120000000, 31, 60);

  model.downloadStarted(id(2), {"Budget 2026.xlsx"});
  model.setRootDir(id(2), root);
  model.setIconPath(id(2), dir.file("Budget 2026.xlsx").c_str());
  model.downloadFailed(id(2), "Storage device is not ready or media/disk is not present.", true);

  model.downloadStarted(id(3), {"Quarterly report.pdf"});
  model.setRootDir(id(3), root);
  model.setIconPath(id(3), dir.file("Quarterly report.pdf").c_str());
  model.downloadComplete(id(3));

  model.downloadStarted(id(4), {"Harbour survey.iso"});
  model.setRootDir(id(4), root);
  model.setIconPath(id(4), dir.file("Harbour survey.iso").c_str());
  model.progress(id(4), 300000000, 700000000, 0, 1);
  model.doAction(4, ft::DownloadsDialog::Pause);

  model.handleTimeout(nullptr); // the running one's speed and time
  scene.show(460, 330);
  shot.save(scene.dialog->getHandle());
}

KIV_SHOT(file_transfer_empty) {
  DialogScene scene;
  scene.show(460, 330);
  shot.save(scene.dialog->getHandle());
}

// The pop-ups' owner, whose links are not followed here.
struct IdleHost : ft::DownloadsUI::Host {
  void ensureShown() override {}
  void enableClear(bool) override {}
  void notifyFinished() override {}
  void notifyFailed() override {}
};

KIV_SHOT(download_complete) {
  IdleHost owner;
  ft::NotifyDownloadsFinishedDlg popup(&owner);
  popup.popup(0);
  shot.save(popup.getHandle());
}

KIV_SHOT(download_failed) {
  IdleHost owner;
  ft::NotifyDownloadFailedDlg popup(&owner);
  popup.popup(0);
  shot.save(popup.getHandle());
}
