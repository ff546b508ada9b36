#include "ui/win/ClipboardThread.h"

#include "os/win/OleInitialiser.h"
#include "plat/LogWriter.h"
#include "plat/TimerManager.h"
#include "plat/win/DynamicFn.h"
#include "plat/win/ManualResetEvent.h"
#include "ui/win/WindowClass.h"

namespace ui {
namespace clipboard {

namespace {

plat::LogWriter vlog("ClipboardThread");

typedef BOOL(WINAPI* ListenerFn)(HWND);

const wchar_t ClassName[] = L"kiv::ClipboardWindow";

// Registered once per process, unregistered at exit.
WindowClass& windowClass() {
  static WindowClass registered(ClassName, nullptr, nullptr, nullptr, nullptr, (HBRUSH)12);
  return registered;
}

} // namespace

ContentHandler::ContentHandler(Thread* thread) : thread_(thread) { thread_->addHandler(this); }

Thread::Thread(int flags)
    : plat::Thread("ClipboardThread"), retry_(this), nextViewer_(nullptr), stop_(false),
      registered_(false), listener_(false), flags_(flags) {
  unclaimed_.reset(plat::newManualResetEvent());
  stopEvent_.reset(plat::newManualResetEvent());
  setContentsEvent_.reset(plat::newManualResetEvent());
  addedTimerEvent_.reset(plat::newManualResetEvent());
}

Thread::~Thread() {}

void Thread::addHandler(ContentHandler* handler) {
  plat::Lock l(lock_);
  handlers_.emplace_back(handler);
}

bool Thread::stop(int ms) {
  SetEvent(stopEvent_);
  if (getState() == Running) {
    // The thread's handle is not ours: wait on the state instead.
    for (int waited = 0; waited < ms && getState() == Running; waited += 10)
      Sleep(10);
    if (getState() == Running) {
      detach();
      return false;
    }
  }
  if (getState() != Created)
    join();
  delete this;
  return true;
}

void Thread::setContents(Job* job) {
  {
    plat::Lock l(lock_);
    job_.reset(job);
  }
  SetEvent(setContentsEvent_);
}

void Thread::joinViewers() {
  static plat::DynamicFnT<ListenerFn> addListener("user32", "AddClipboardFormatListener");
  const char* how = "SetClipboardViewer";
  if (!(flags_ & ViewerChain) && addListener.isValid()) {
    if (addListener.get()(getHandle())) {
      listener_ = true;
      how = "AddClipboardFormatListener";
    } else {
      vlog.debug("%s", plat::SystemException("AddClipboardViewer", (int)GetLastError()).str());
    }
  }
  if (!listener_)
    nextViewer_ = SetClipboardViewer(getHandle());
  // Only from here on: the change that joining the chain announces, and
  // whatever was on the clipboard before, are not offered.
  registered_ = true;
  vlog.debug("Registered clipboard handler (%s)", how);
}

void Thread::leaveViewers() {
  if (listener_) {
    static plat::DynamicFnT<ListenerFn> removeListener("user32", "RemoveClipboardFormatListener");
    if (!removeListener.isValid())
      vlog.debug("AddClipboardFormatListener but no RemoveClipboardFormatListener!");
    else if (!removeListener.get()(getHandle()))
      vlog.debug("%s", plat::SystemException("RemoveClipboardViewer", (int)GetLastError()).str());
  } else {
    ChangeClipboardChain(getHandle(), nextViewer_);
  }
}

void Thread::run() {
  os::OleInitialiser ole;
  plat::EventManager events;
  events.addEvent(stopEvent_, this, "Stop ClipboardThread");
  events.addEvent(setContentsEvent_, this, "Set clipboard contents");
  events.addEvent(addedTimerEvent_, this, "Added timer");
  try {
    create(windowClass().atom(), "kiv::ClipboardWindow", 0, 0, 0, 10, 10);
    joinViewers();
    plat::TimerManager timers;
    while (!stop_) {
      int timeout = timers.processTimers();
      MSG msg;
      if (events.awaitEvent(&msg, timeout)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    retry_.stop();
  } catch (...) {
    vlog.error("untrapped: %s", plat::caughtText());
  }
  if (getHandle()) {
    leaveViewers();
    destroy();
  }
  plat::Lock l(lock_);
  for (auto& handler : handlers_)
    handler->stopping();
  handlers_.clear();
}

void Thread::processEvent(HANDLE event) {
  ResetEvent(event);
  if (event == stopEvent_.get()) {
    registered_ = false;
    stop_ = true;
  } else if (event == setContentsEvent_.get()) {
    std::unique_ptr<Job> job;
    {
      plat::Lock l(lock_);
      job = std::move(job_);
    }
    if (job)
      job->run();
  }
  // "Added timer" only wakes the loop, which then sees the new timer.
}

void Thread::passOn(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!nextViewer_)
    return;
  DWORD_PTR result;
  if (!SendMessageTimeoutW(nextViewer_, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
    throw plat::SystemExceptionFmt("chain timed out (%i)", (int)GetLastError(), (int)message);
}

LRESULT Thread::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CLIPBOARDUPDATE:
    check();
    break;
  case WM_DRAWCLIPBOARD:
    check();
    passOn(message, wParam, lParam);
    return 0;
  case WM_CHANGECBCHAIN:
    vlog.debug("change clipboard chain (%llx, %llx)", (unsigned long long)wParam,
               (unsigned long long)lParam);
    if ((HWND)wParam == nextViewer_)
      nextViewer_ = (HWND)lParam;
    passOn(message, wParam, lParam);
    return 0;
  }
  return CustomWindow::handleMessage(hwnd, message, wParam, lParam);
}

void Thread::check() {
  if (!registered_)
    return;
  try {
    checkClipboard();
  } catch (const OpenClipboardFail&) {
    retry_.start(250);
    SetEvent(addedTimerEvent_);
  } catch (...) {
    // Whatever a handler throws (out of memory on a huge list, say) costs
    // only this change.
    vlog.error("%s", plat::caughtText());
  }
}

bool Thread::handleTimeout(plat::Timer*) {
  try {
    checkClipboard();
  } catch (...) {
    vlog.error("%s", plat::caughtText());
  }
  return false;
}

void Thread::checkClipboard() {
  ResetEvent(unclaimed_);
  bool taken = GetClipboardOwner() == getHandle();
  if (!taken) {
    plat::Lock l(lock_);
    for (auto& handler : handlers_)
      if ((taken = handler->clipboardChanged()))
        break;
  }
  if (!taken)
    SetEvent(unclaimed_);
  ResetEvent(setContentsEvent_);
}

} // namespace clipboard
} // namespace ui
