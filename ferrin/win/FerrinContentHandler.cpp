#include "ferrin/win/FerrinContentHandler.h"

#include "ft/OfferFiles.h"
#include "plat/LogWriter.h"

namespace ft {

namespace {

plat::LogWriter vlog("ContentHandler");

// Files copied to the clipboard: the other end puts them on its clipboard.
const uint32_t ClipboardShare = 2;

} // namespace

FerrinContentHandler::FerrinContentHandler(std::shared_ptr<FileHandOff> handOff,
                                           UploadManager* uploads)
    : handOff_(std::move(handOff)), uploads_(uploads), events_(plat::EventManager::instance()),
      registered_(true), pendingShare_(0) {
  events_->addEvent(handOff_->pendingEvent(), this, "Pending");
  events_->addEvent(handOff_->readyEvent(), this, "Ready");
  events_->addEvent(handOff_->goneEvent(), this, "Gone");
}

FerrinContentHandler::~FerrinContentHandler() { unregister(); }

void FerrinContentHandler::unregister() {
  if (!registered_)
    return;
  registered_ = false;
  events_->removeEvent(handOff_->pendingEvent());
  events_->removeEvent(handOff_->readyEvent());
  events_->removeEvent(handOff_->goneEvent());
}

void FerrinContentHandler::startShare() {
  // Two lists begun before one is ready still make one share; a share
  // made meanwhile for other files is not this one.
  if (!pendingShare_ || uploads_->currentShareId() != pendingShare_)
    pendingShare_ = uploads_->newShare(0, ClipboardShare);
}

void FerrinContentHandler::processEvent(HANDLE event) {
  ResetEvent(event);
  if (event == handOff_->goneEvent()) {
    vlog.error("The clipboard watcher has ended: copied files are no longer offered");
    unregister();
    return;
  }
  startShare();
  if (event == handOff_->pendingEvent())
    return;
  ManagedVector<FileProxy> files;
  handOff_->takeFiles(&files);
  offerFiles(uploads_, &files);
  pendingShare_ = 0;
}

} // namespace ft
