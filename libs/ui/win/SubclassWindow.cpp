#include "ui/win/SubclassWindow.h"
#include "plat/Assert.h"
#include "plat/LogWriter.h"
#include "plat/Mutex.h"
#include "ui/win/HandlerFailure.h"

#include <map>

namespace ui {

static plat::LogWriter subclassLog("SubclassWindow");

namespace {

// Process-wide: the saved procedure and the subclassing object of each
// window. A window whose object has left while another layer sat on top
// keeps its saved procedure and has no object, until it is destroyed.
struct Registry {
  plat::Mutex lock;
  std::map<HWND, WNDPROC> savedProcs;
  std::map<HWND, SubclassWindow*> owners;
};

Registry& registry() {
  static Registry* instance = new Registry; // outlives every static window
  return *instance;
}

WNDPROC savedProc(HWND hwnd) {
  Registry& r = registry();
  plat::Lock l(r.lock);
  auto it = r.savedProcs.find(hwnd);
  return it == r.savedProcs.end() ? nullptr : it->second;
}

} // namespace

SubclassWindow::SubclassWindow(SubclassProcCallback* callback) : callback_(callback) {}

SubclassWindow::~SubclassWindow() {
  std::set<HWND> held = windows_;
  for (HWND hwnd : held)
    unsubclass(hwnd);
}

void SubclassWindow::subclass(HWND hwnd) {
  Registry& r = registry();
  plat::Lock l(r.lock);
  if (r.owners.count(hwnd))
    return;
  // Still in the window's chain from an earlier subclassing: only the
  // object comes back; replacing the procedure again would loop.
  if (!r.savedProcs.count(hwnd)) {
    WNDPROC old = (WNDPROC)SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)sharedProc);
    if (!old)
      return; // not a window of this process
    r.savedProcs[hwnd] = old;
  }
  r.owners[hwnd] = this;
  windows_.insert(hwnd);
}

void SubclassWindow::unsubclass(HWND hwnd) {
  if (subclassedBy(hwnd) != this)
    plat::assertionFailed("subclassedBy(hwnd) == this", __FILE__, __LINE__);
  Registry& r = registry();
  plat::Lock l(r.lock);
  r.owners.erase(hwnd);
  windows_.erase(hwnd);
  if ((WNDPROC)GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == sharedProc || !IsWindow(hwnd)) {
    if (IsWindow(hwnd))
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)r.savedProcs[hwnd]);
    r.savedProcs.erase(hwnd);
  }
}

SubclassWindow* SubclassWindow::subclassedBy(HWND hwnd) {
  Registry& r = registry();
  plat::Lock l(r.lock);
  auto it = r.owners.find(hwnd);
  return it == r.owners.end() ? nullptr : it->second;
}

LRESULT SubclassWindow::callOriginalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = savedProc(hwnd);
  if (!proc)
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  return CallWindowProcW(proc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK SubclassWindow::sharedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  SubclassWindow* owner = subclassedBy(hwnd);
  LRESULT result = 0;
  if (!owner) {
    result = callOriginalProc(hwnd, msg, wParam, lParam);
  } else {
    try {
      result = owner->callback_->subclassProc(hwnd, msg, wParam, lParam);
    } catch (...) {
      handlerFailed(subclassLog, msg, hwnd);
    }
  }
  if (msg == WM_NCDESTROY) {
    // The window's last message. A later layer may still sit on top (a
    // tooltip's), but nothing of the window may stay recorded: its handle
    // can come back as a new window, which must be subclassed afresh.
    if (SubclassWindow* now = subclassedBy(hwnd))
      now->unsubclass(hwnd);
    Registry& r = registry();
    plat::Lock l(r.lock);
    r.savedProcs.erase(hwnd);
  }
  return result;
}

} // namespace ui
