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
  HWND owner; // the window that asked: it owns the box when sending fails
};

class UploadManagerProxy : public plat::MessageQueue<SendFilesMessage, UploadManager> {
public:
  // Where a failure to send goes. The owner window lives on another thread:
  // a box shown here, on the delivering thread, would make each thread wait
  // on the other, so the text goes to the owner's thread to be shown there.
  class Failures {
  public:
    virtual ~Failures() {}
    // On the delivering thread; must not wait for the owner's thread.
    virtual void sendFailed(HWND owner, const char* text) = 0;
  };

  // On the thread that delivers (the main thread). Without failures (a
  // window that never sends) a failure is only logged.
  UploadManagerProxy(UploadManager* uploads, Failures* failures);

  // Any thread.
  void sendFiles(std::vector<os::ItemIdList> items, HWND owner);

protected:
  // An empty list is dropped; a failure, whatever it threw, is logged and
  // goes to failures.
  void deliver(UploadManager* uploads, SendFilesMessage& message) override;

private:
  Failures* failures_;
};

} // namespace ft
