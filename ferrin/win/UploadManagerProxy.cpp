#include "ferrin/win/UploadManagerProxy.h"

#include "ferrin/win/CollectFiles.h"
#include "ft/OfferFiles.h"
#include "os/win/ShellItem.h"
#include "plat/Exception.h"
#include "plat/LogWriter.h"

namespace ft {

namespace {

plat::LogWriter vlog("UploadManagerProxy");

// Saved into the fetch folder of the other end.
const uint32_t SaveIntoFolder = 1;

} // namespace

UploadManagerProxy::UploadManagerProxy(UploadManager* uploads, Failures* failures)
    : MessageQueue(uploads, "UploadManagerProxy::msgAvailable"), failures_(failures) {}

void UploadManagerProxy::sendFiles(std::vector<os::ItemIdList> items, HWND owner) {
  post(SendFilesMessage{std::move(items), owner});
}

void UploadManagerProxy::deliver(UploadManager* uploads, SendFilesMessage& message) {
  if (message.items.empty())
    return;
  try {
    ManagedVector<FileProxy> files;
    FileCollection collection(&files);
    for (const os::ItemIdList& item : message.items)
      collection.addItem(os::ShellItem(item), "");
    if (files.empty())
      return;
    uploads->newShare(0, SaveIntoFolder);
    offerFiles(uploads, &files);
  } catch (...) {
    vlog.error("%s", plat::caughtText());
    if (failures_)
      failures_->sendFailed(message.owner, plat::caughtText());
  }
}

} // namespace ft
