// The clipboard watcher: each change offered to the handlers in order
// until one takes it, a busy clipboard asked again later, the old viewer
// chain joined, passed on and left (a hung next viewer costs its time-out,
// not the watcher), and a watcher that cannot make its window ending by
// itself with its handlers told.
#include "plat/Mutex.h"
#include "testing/ClipboardText.h"
#include "testing/RecordingLogger.h"
#include "testing/RefusedWindows.h"
#include "ui/win/ClipboardThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <thread>
#include <vector>

namespace {

bool waitFor(const std::function<bool()>& done, int ms) {
  ULONGLONG deadline = GetTickCount64() + (ULONGLONG)ms;
  while (!done()) {
    if (GetTickCount64() > deadline)
      return false;
    Sleep(5);
  }
  return true;
}

// What the handlers saw, from the watcher's thread.
struct Seen {
  struct Call {
    int handler;
    ULONGLONG at;
  };
  plat::Mutex lock;
  std::vector<Call> calls;
  int stopping = 0;
  int deleted = 0;

  size_t count() {
    plat::Lock l(lock);
    return calls.size();
  }
  Call call(size_t i) {
    plat::Lock l(lock);
    return calls.at(i);
  }
  bool waitCalls(size_t n, int ms = 5000) {
    return waitFor([&] { return count() >= n; }, ms);
  }
};

// Answers each change with answer(number of its calls so far), which may
// throw.
class Handler : public ui::clipboard::ContentHandler {
public:
  Handler(ui::clipboard::Thread* thread, Seen* seen, int id, std::function<bool(int)> answer)
      : ContentHandler(thread), seen_(seen), id_(id), answer_(std::move(answer)) {}
  ~Handler() override {
    plat::Lock l(seen_->lock);
    seen_->deleted++;
  }
  void stopping() override {
    plat::Lock l(seen_->lock);
    seen_->stopping++;
  }
  bool clipboardChanged() override {
    {
      plat::Lock l(seen_->lock);
      seen_->calls.push_back({id_, GetTickCount64()});
    }
    return answer_(calls_++);
  }

private:
  Seen* seen_;
  int id_;
  std::function<bool(int)> answer_;
  int calls_ = 0;
};

std::function<bool(int)> always(bool taken) {
  return [taken](int) { return taken; };
}

struct Watching : testing::Test {
  Seen seen;
  ui::clipboard::Thread* watcher = nullptr;

  ~Watching() override {
    if (watcher) {
      EXPECT_TRUE(watcher->stop(10000));
    }
  }
  void start(int flags = 0) {
    watcher = new ui::clipboard::Thread(flags);
  }
  void run() {
    watcher->start();
    ASSERT_TRUE(waitFor([&] { return watcher->window() != nullptr; }, 5000));
    // Joined once the window is: wait until a change would be seen.
    Sleep(200);
  }
};

} // namespace

TEST_F(Watching, EachChangeGoesToTheHandlersInOrderUntilOneTakesIt) {
  ASSERT_TRUE(testing_support::putClipboardText(L"there before the watcher"));
  start();
  new Handler(watcher, &seen, 1, always(false));
  new Handler(watcher, &seen, 2, [](int call) { return call == 0; });
  new Handler(watcher, &seen, 3, always(false));
  run();
  EXPECT_EQ(0u, seen.count()) << "contents already there are not offered";

  ASSERT_TRUE(testing_support::putClipboardText(L"first"));
  ASSERT_TRUE(seen.waitCalls(2));
  Sleep(100);
  ASSERT_EQ(2u, seen.count());
  EXPECT_EQ(1, seen.call(0).handler);
  EXPECT_EQ(2, seen.call(1).handler);
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(watcher->unclaimedEvent(), 0));

  ASSERT_TRUE(testing_support::putClipboardText(L"second"));
  ASSERT_TRUE(seen.waitCalls(5));
  EXPECT_EQ(3, seen.call(4).handler);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watcher->unclaimedEvent(), 2000));
}

TEST_F(Watching, ABusyClipboardIsAskedAgainALittleLater) {
  start();
  new Handler(watcher, &seen, 1, [](int call) -> bool {
    if (call == 0)
      throw ui::clipboard::OpenClipboardFail((int)CLIPBRD_E_CANT_OPEN);
    return true;
  });
  run();
  ASSERT_TRUE(testing_support::putClipboardText(L"busy"));
  ASSERT_TRUE(seen.waitCalls(2, 3000));
  ULONGLONG later = seen.call(1).at - seen.call(0).at;
  EXPECT_GE(later, 200u);
  EXPECT_LT(later, 2000u);
}

TEST_F(Watching, AHandlerOutOfMemoryCostsOnlyThatChange) {
  start();
  new Handler(watcher, &seen, 1, [](int call) -> bool {
    if (call == 0)
      throw std::bad_alloc();
    return true;
  });
  run();
  ASSERT_TRUE(testing_support::putClipboardText(L"too much"));
  ASSERT_TRUE(seen.waitCalls(1));
  ASSERT_TRUE(testing_support::putClipboardText(L"enough"));
  EXPECT_TRUE(seen.waitCalls(2));
}

namespace {

// A window of another thread in the viewer chain, joined before the
// watcher: it hangs (takes no messages) until released, then passes
// messages on as a viewer should, and leaves the chain at the end.
class HungViewer {
public:
  HungViewer() : release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                 quit_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                 thread_([this] { run(); }) {
    waitFor([this] { return joined_.load(); }, 5000);
  }
  ~HungViewer() {
    SetEvent(release_);
    SetEvent(quit_);
    thread_.join();
    CloseHandle(release_);
    CloseHandle(quit_);
  }
  HWND window() const { return window_; }
  void release() { SetEvent(release_); }

private:
  void run() {
    window_ = CreateWindowW(L"STATIC", L"hung viewer", 0, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, (LONG_PTR)this);
    SetWindowLongPtrW(window_, GWLP_WNDPROC, (LONG_PTR)proc);
    next_ = SetClipboardViewer(window_);
    joined_ = true;
    WaitForSingleObject(release_, INFINITE);
    while (MsgWaitForMultipleObjects(1, &quit_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    }
    ChangeClipboardChain(window_, next_);
    DestroyWindow(window_);
  }
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    HungViewer* self = (HungViewer*)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    if (message == WM_CHANGECBCHAIN && (HWND)wParam == self->next_)
      self->next_ = (HWND)lParam;
    else if ((message == WM_DRAWCLIPBOARD || message == WM_CHANGECBCHAIN) && self->next_)
      SendMessageW(self->next_, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  HANDLE release_;
  HANDLE quit_;
  HWND window_ = nullptr;
  HWND next_ = nullptr;
  std::atomic<bool> joined_{false};
  std::thread thread_;
};

} // namespace

TEST_F(Watching, TheViewerChainIsJoinedPassedOnAndLeft) {
  RecordingLogger log;
  log.attach("ClipboardThread:record:100,CustomWindow:record:0");
  HungViewer viewer;
  ASSERT_EQ(viewer.window(), GetClipboardViewer());
  start(ui::clipboard::Thread::ViewerChain);
  new Handler(watcher, &seen, 1, always(true));
  run();
  EXPECT_EQ(watcher->window(), GetClipboardViewer());
  EXPECT_TRUE(log.has("ClipboardThread: Registered clipboard handler (SetClipboardViewer)"));

  // The next viewer hangs: passing the change on times out, and is
  // logged; the watcher goes on.
  ASSERT_TRUE(testing_support::putClipboardText(L"to a hung chain"));
  ASSERT_TRUE(seen.waitCalls(1));
  EXPECT_TRUE(waitFor([&] { return log.hasPrefix("CustomWindow: message 0x308"); }, 10000));
  viewer.release();
  ASSERT_TRUE(testing_support::putClipboardText(L"to a live chain"));
  EXPECT_TRUE(seen.waitCalls(2));

  EXPECT_TRUE(watcher->stop(10000));
  watcher = nullptr;
  EXPECT_EQ(viewer.window(), GetClipboardViewer()) << "the watcher left the chain";
}

TEST_F(Watching, AWatcherThatCannotMakeItsWindowEndsWithItsHandlersTold) {
  start();
  new Handler(watcher, &seen, 1, always(true));
  testing_support::RefusedWindows refused(watcher->getThreadId());
  watcher->start();
  EXPECT_TRUE(waitFor([&] { return watcher->getState() == plat::Thread::Finished; }, 5000));
  EXPECT_EQ(1, seen.stopping);
  EXPECT_EQ(1, seen.deleted);
}
