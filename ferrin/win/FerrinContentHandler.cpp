#include "ferrin/win/FerrinContentHandler.h"

#include "ferrin/win/OfferFiles.h"

namespace ft {

namespace {

// Files copied to the clipboard: the other end puts them on its clipboard.
const uint32_t ClipboardShare = 2;

} // namespace

FerrinContentHandler::FerrinContentHandler(ClipboardFiles* files, UploadManager* uploads)
    : files_(files), uploads_(uploads), events_(plat::EventManager::instance()),
      sharePending_(false) {
  events_->addEvent(files_->pendingEvent(), this, "Pending");
  events_->addEvent(files_->readyEvent(), this, "Ready");
}

FerrinContentHandler::~FerrinContentHandler() {
  events_->removeEvent(files_->pendingEvent());
  events_->removeEvent(files_->readyEvent());
}

void FerrinContentHandler::startShare() {
  // Two lists begun before one is ready still make one share.
  if (!sharePending_)
    uploads_->newShare(0, ClipboardShare);
  sharePending_ = true;
}

void FerrinContentHandler::processEvent(HANDLE event) {
  ResetEvent(event);
  if (event == files_->pendingEvent()) {
    startShare();
    return;
  }
  startShare();
  ManagedVector<FileProxy> files;
  files_->takeFiles(&files);
  offerFiles(uploads_, &files);
  sharePending_ = false;
}

} // namespace ft
