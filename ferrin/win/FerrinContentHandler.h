// The main thread's end of the clipboard watcher: "Pending" (a new list is
// being read) starts a clipboard share in the upload manager, "Ready" adds
// the list's files to it and has it offered, "Gone" (the watcher has
// ended) drops the three events from the main thread's wait.
//
// The upload manager has one current share, which "Send files" replaces
// too: the list goes into a share made for it, never into one made for
// other files between "Pending" and "Ready".
#pragma once

#include "ferrin/win/FileHandOff.h"
#include "ft/UploadManager.h"
#include "plat/win/EventManager.h"

#include <memory>

namespace ft {

class FerrinContentHandler : public plat::EventHandler {
public:
  // Registers the three events with the calling thread's event manager.
  FerrinContentHandler(std::shared_ptr<FileHandOff> handOff, UploadManager* uploads);
  // Unregisters them, unless the watcher's end did.
  ~FerrinContentHandler() override;

  void processEvent(HANDLE event) override;

private:
  void startShare();
  void unregister();

  std::shared_ptr<FileHandOff> handOff_;
  UploadManager* uploads_;
  plat::EventManager* events_;
  bool registered_;
  // The clipboard share begun and not yet offered, or 0.
  uint32_t pendingShare_;
};

} // namespace ft
