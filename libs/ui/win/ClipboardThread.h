// The clipboard watcher: a thread with a hidden window that the system
// tells of every change of the clipboard, which it offers to its content
// handlers in the order they registered, until one takes it. Contents
// already on the clipboard when it starts, and contents its own window
// put there, are never offered.
//
//   ui::clipboard::Thread* watcher = new ui::clipboard::Thread;
//   new MyHandler(watcher);        // registers; the thread owns it
//   watcher->start();
//   ...
//   watcher->stop(1000);           // deletes it, or leaves it to end alone
#pragma once

#include "plat/Exception.h"
#include "plat/Mutex.h"
#include "plat/Timer.h"
#include "plat/win/EventManager.h"
#include "plat/win/Handle.h"
#include "plat/win/Thread.h"
#include "ui/win/CustomWindow.h"

#include <memory>
#include <vector>

namespace ui {
namespace clipboard {

class Thread;

// The clipboard could not be opened (another program holds it): the check
// is tried again a little later.
struct OpenClipboardFail : plat::SystemException {
  explicit OpenClipboardFail(int code) : plat::SystemException("OpenClipboard", code) {}
};

class ContentHandler {
public:
  // Registers with the thread, which owns and deletes its handlers.
  explicit ContentHandler(Thread* thread);
  ContentHandler(const ContentHandler&) = delete;
  ContentHandler& operator=(const ContentHandler&) = delete;
  virtual ~ContentHandler() {}
  // The clipboard thread is leaving.
  virtual void stopping() {}
  // The clipboard thread: true when the handler took the new contents.
  // May throw OpenClipboardFail.
  virtual bool clipboardChanged() = 0;

protected:
  Thread* thread_;
};

class Thread : public plat::Thread,
               public CustomWindow,
               public plat::Timer::Callback,
               public plat::EventHandler {
public:
  // Work to run on the clipboard thread (putting contents there).
  class Job {
  public:
    virtual ~Job() {}
    virtual void run() = 0;
  };

  enum Flags {
    // Joins the viewer chain even where the format listener is there (the
    // road of older systems).
    ViewerChain = 1
  };

  // Throws plat::SystemException "CreateEvent".
  explicit Thread(int flags = 0);
  ~Thread() override;

  // Ends the thread: true, and the object deleted, when it ended within ms;
  // otherwise it is left to end alone (and delete itself), false.
  bool stop(int ms);
  // Any thread: the job (owned) runs on the clipboard thread.
  void setContents(Job* job);
  // Set while the last change had no taker.
  HANDLE unclaimedEvent() const { return unclaimed_; }

  HWND window() const { return getHandle(); }

private:
  friend class ContentHandler;
  void addHandler(ContentHandler* handler);

  void run() override;
  LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  bool handleTimeout(plat::Timer* timer) override;
  void processEvent(HANDLE event) override;
  // A check, retried later when the clipboard is busy.
  void check();
  void checkClipboard();
  void joinViewers();
  void leaveViewers();
  // To the next window of the old viewer chain, when there is one.
  void passOn(UINT message, WPARAM wParam, LPARAM lParam);

  plat::Handle unclaimed_;
  plat::Mutex lock_;
  std::vector<std::unique_ptr<ContentHandler>> handlers_;
  std::unique_ptr<Job> job_;
  plat::Handle stopEvent_;
  plat::Handle setContentsEvent_;
  plat::Handle addedTimerEvent_;
  plat::Timer retry_;
  HWND nextViewer_;
  bool stop_;
  bool registered_;
  bool listener_;
  int flags_;
};

} // namespace clipboard
} // namespace ui
