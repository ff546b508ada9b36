// The two pop-ups of the downloads: "File transfer complete." when the
// last running download has finished, "File transfer failed." when one
// has failed. A click on the link in either brings the file-transfer
// dialog up. Owned by that dialog, on the window thread.
#pragma once

#include "ferrin/win/DownloadsUI.h"
#include "plat/MarkUp.h"
#include "ui/win/NotificationDialog.h"

namespace ft {

class DownloadNotification : public ui::NotificationDialog, public plat::MarkUp::LinkCallback {
public:
  // owner: its ensureShown answers the link.
  DownloadNotification(const wchar_t* dialogTemplate, const char* markup,
                       DownloadsUI::Host* owner, HINSTANCE instance);
  void linkClicked(int linkId) override;

  // How long a pop-up stays.
  enum { ShowMs = 4000 };

private:
  DownloadsUI::Host* owner_;
};

class NotifyDownloadsFinishedDlg : public DownloadNotification {
public:
  NotifyDownloadsFinishedDlg(DownloadsUI::Host* owner, HINSTANCE instance = nullptr);
};

class NotifyDownloadFailedDlg : public DownloadNotification {
public:
  NotifyDownloadFailedDlg(DownloadsUI::Host* owner, HINSTANCE instance = nullptr);
};

} // namespace ft
