#include "ferrin/win/Win32FileTransferManager.h"
#include "ft/DownloadManager.h"
#include "ft/Extension.h"
#include "ft/FileAttributes.h"

namespace ft {

static Win32FileTransferManager* current;

Win32FileTransferManager::Win32FileTransferManager(Extension* extension)
    : extension_(extension), uploadManager_(extension) {
  os::initComSecurity();
  if (!ComStream::Updater::exists())
    comStreamUpdater_.reset(new ComStream::Updater);
  extension_->setConnectionManager(this);
  ShareEntry::setAttributeFilter(this);
  current = this;
}

Win32FileTransferManager::~Win32FileTransferManager() {
  extension_->setConnectionManager(nullptr);
  ShareEntry::setAttributeFilter(nullptr);
  current = nullptr;
}

Win32FileTransferManager* Win32FileTransferManager::instance() { return current; }

UploadManager* Win32FileTransferManager::uploadManagerFor(Extension*, rfb::MsgHandler*) {
  return &uploadManager_;
}

DownloadManager* Win32FileTransferManager::createDownloadManager(Extension* extension,
                                                                 rfb::MsgHandler* connection) {
  return new DownloadManager(extension, connection);
}

void Win32FileTransferManager::releaseConnection(UploadManager*, DownloadManager* downloadManager) {
  delete downloadManager;
}

bool Win32FileTransferManager::accept(const FileAttributes& block) {
  return FileAttributes::isWin32(block);
}

} // namespace ft
