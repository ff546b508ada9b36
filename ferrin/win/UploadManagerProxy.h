// The upload manager as the window thread calls it: files chosen with
// "Send Files" go to the main thread as a message, where they become a
// share that the other end saves into its fetch folder.
#pragma once

#include "ft/UploadManager.h"
#include "os/ItemIdList.h"
#include "plat/win/MessageQueue.h"

#include <windows.h>

#include <vector>

namespace ft {

struct SendFilesMessage {
  std::vector<os::ItemIdList> items;
  HWND owner; // for the message box when sending fails
};

class UploadManagerProxy : public plat::MessageQueue<SendFilesMessage, UploadManager> {
public:
  // On the thread that delivers (the main thread).
  explicit UploadManagerProxy(UploadManager* uploads);

  // Any thread.
  void sendFiles(std::vector<os::ItemIdList> items, HWND owner);

protected:
  // An empty list is dropped; a failure is shown to the owner window.
  void deliver(UploadManager* uploads, SendFilesMessage& message) override;
};

} // namespace ft
