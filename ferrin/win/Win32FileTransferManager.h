// What ferrin gives the extension for each connection: its one upload
// manager and a download manager per connection. It also keeps only the
// Windows attribute block of received entries.
#pragma once

#include "ferrin/win/ComStream.h"
#include "ft/ConnectionManager.h"
#include "ft/ShareEntry.h"
#include "ft/UploadManager.h"
#include "os/win/OleInitialiser.h"

#include <memory>

namespace ft {

class Win32FileTransferManager : public ConnectionManager, public ShareEntry::AttributeFilter {
public:
  // Installs itself as the extension's connection manager and as the
  // process-wide attribute filter; makes the COM streams' updater when the
  // process has none yet.
  explicit Win32FileTransferManager(Extension* extension);
  ~Win32FileTransferManager() override;

  UploadManager* uploadManagerFor(Extension* extension, rfb::MsgHandler* connection) override;
  DownloadManager* createDownloadManager(Extension* extension,
                                         rfb::MsgHandler* connection) override;
  void releaseConnection(UploadManager* uploadManager, DownloadManager* downloadManager) override;

  bool accept(const FileAttributes& block) override;

  UploadManager& uploadManager() { return uploadManager_; }

  // The process's manager while one exists.
  static Win32FileTransferManager* instance();

private:
  Extension* extension_;
  UploadManager uploadManager_;
  os::OleInitialiser ole_;
  std::unique_ptr<ComStream::Updater> comStreamUpdater_;
};

} // namespace ft
