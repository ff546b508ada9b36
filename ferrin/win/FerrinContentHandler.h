// The main thread's end of the clipboard watcher: "Pending" (a new list is
// being read) starts a clipboard share in the upload manager, "Ready" adds
// the list's files to it and has it offered.
#pragma once

#include "ferrin/win/ClipboardFiles.h"
#include "ft/UploadManager.h"
#include "plat/win/EventManager.h"

namespace ft {

class FerrinContentHandler : public plat::EventHandler {
public:
  // Registers the two events with the calling thread's event manager.
  FerrinContentHandler(ClipboardFiles* files, UploadManager* uploads);
  // Unregisters them.
  ~FerrinContentHandler() override;

  void processEvent(HANDLE event) override;

private:
  void startShare();

  ClipboardFiles* files_;
  UploadManager* uploads_;
  plat::EventManager* events_;
  bool sharePending_;
};

} // namespace ft
