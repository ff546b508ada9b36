#include "ferrin/win/DownloadNotifications.h"
#include "ferrin/win/FerrinResources.h"

namespace ft {

DownloadNotification::DownloadNotification(const wchar_t* dialogTemplate, const char* markup,
                                           DownloadsUI::Host* owner, HINSTANCE instance)
    : ui::NotificationDialog(dialogTemplate, IDC_NOTIFY_LOGO, instance), owner_(owner) {
  setLinkCallback(this);
  setText(IDC_NOTIFY_TEXT, markup);
}

void DownloadNotification::linkClicked(int) { owner_->ensureShown(); }

NotifyDownloadsFinishedDlg::NotifyDownloadsFinishedDlg(DownloadsUI::Host* owner,
                                                       HINSTANCE instance)
    : DownloadNotification(L"NOTIFY_DOWNLOAD",
                           "^bFile transfer complete.^n\n^1{All files have been transferred.^}",
                           owner, instance) {}

NotifyDownloadFailedDlg::NotifyDownloadFailedDlg(DownloadsUI::Host* owner, HINSTANCE instance)
    : DownloadNotification(L"NOTIFY_DOWNLOAD_FAILED", "^1{File transfer failed.^}", owner,
                           instance) {}

} // namespace ft
