// The window thread: the named event and the main thread's requests reach
// the dialog on the window thread; files sent from it reach the main
// thread, and a failure is shown to the user on the window thread, with
// neither thread waiting for the other.
#include "ferrin/win/FileTransferThread.h"
#include "ferrin/win/UploadManagerProxy.h"
#include "os/win/OleInitialiser.h"
#include "plat/win/AppInit.h"
#include "plat/Timer.h"
#include "plat/TimerManager.h"
#include "plat/win/EventManager.h"
#include "testing/EventPump.h"
#include "testing/FtEngine.h"
#include "testing/ModalHelper.h"
#include "testing/ReturnsWithin.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Seen {
  std::atomic<int> shown{0};
  std::atomic<DWORD> thread{0};
};

class CountingDialog : public ft::FileTransferWindow {
public:
  explicit CountingDialog(Seen* seen) : seen_(seen) {}
  void ensureShown() override {
    seen_->thread = GetCurrentThreadId();
    seen_->shown++;
  }
  HWND window() override { return nullptr; }

private:
  Seen* seen_;
};

class TestThread : public ft::FileTransferThread {
public:
  TestThread(ft::UploadManager* uploads, bool serviceMode, Seen* seen)
      : FileTransferThread(nullptr, uploads, true, serviceMode, nullptr, L"!APP_ICON", nullptr),
        seen_(seen) {}

protected:
  ft::FileTransferWindow* makeDialog() override { return new CountingDialog(seen_); }

  Seen* seen_;
};

// A stand-in with a window of its own on the window thread: each WM_APP to
// it sends the next of the test's choices, as "Send files..." does.
class SendingDialog : public ft::FileTransferWindow {
public:
  SendingDialog(ft::UploadManagerProxy* uploads, std::vector<std::vector<os::ItemIdList>> choices)
      : uploads_(uploads), choices_(std::move(choices)) {
    static WNDCLASSW windowClass = [] {
      WNDCLASSW c = {};
      c.lpfnWndProc = proc;
      c.hInstance = GetModuleHandleW(nullptr);
      c.lpszClassName = L"kiv.tests.SendingDialog";
      RegisterClassW(&c);
      return c;
    }();
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"Sending", WS_POPUP, 0, 0, 10, 10,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, (LONG_PTR)this);
  }
  ~SendingDialog() override { DestroyWindow(window_); }
  void ensureShown() override {}
  HWND window() override { return window_; }

private:
  static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SendingDialog* self = (SendingDialog*)GetWindowLongPtrW(window, GWLP_USERDATA);
    if (message == WM_APP && self && self->next_ < self->choices_.size()) {
      self->uploads_->sendFiles(self->choices_[self->next_++], window);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  ft::UploadManagerProxy* uploads_;
  std::vector<std::vector<os::ItemIdList>> choices_;
  size_t next_ = 0;
  HWND window_;
};

class SendingThread : public ft::FileTransferThread {
public:
  SendingThread(ft::UploadManager* uploads, std::vector<std::vector<os::ItemIdList>> choices)
      : FileTransferThread(nullptr, uploads, true, false, nullptr, L"!APP_ICON", nullptr),
        choices_(std::move(choices)) {}

protected:
  ft::FileTransferWindow* makeDialog() override {
    return new SendingDialog(uploadProxy(), choices_);
  }

private:
  std::vector<std::vector<os::ItemIdList>> choices_;
};

// A stand-in that fails once it and its proxy exist.
class WindowlessDialog : public CountingDialog {
public:
  WindowlessDialog() : CountingDialog(nullptr) {}
  HWND window() override { throw plat::Exception("no window"); }
};

// Its start fails: the dialog cannot be made, or it fails once made.
class FailingThread : public TestThread {
public:
  FailingThread(ft::UploadManager* uploads, bool dialogMade)
      : TestThread(uploads, false, nullptr), dialogMade_(dialogMade) {}

protected:
  ft::FileTransferWindow* makeDialog() override {
    if (!dialogMade_)
      throw std::runtime_error("no dialog");
    return new WindowlessDialog;
  }

private:
  bool dialogMade_;
};

// A stand-in whose first pass of the loop throws: a timer of the window
// thread that fires at once.
class ThrowingOnceDialog : public CountingDialog, private plat::Timer::Callback {
public:
  explicit ThrowingOnceDialog(Seen* seen) : CountingDialog(seen), timer_(this) { timer_.start(0); }

private:
  bool handleTimeout(plat::Timer*) override { throw std::bad_alloc(); }
  plat::Timer timer_;
};

class ThrowingOnceThread : public TestThread {
public:
  using TestThread::TestThread;

protected:
  ft::FileTransferWindow* makeDialog() override { return new ThrowingOnceDialog(seen_); }
};

bool waitFor(const std::atomic<int>& value, int wanted) {
  return testing_support::waitUntil([&] { return value >= wanted; },
                                    testing_support::LongWaitMs);
}

// The window thread's start, waited for with a limit.
bool readyWithin(ft::FileTransferThread& thread) {
  return testing_support::returnsWithin(testing_support::LongWaitMs,
                                        [&thread] { thread.waitReady(); });
}

} // namespace

TEST(WindowThread, NamedEventAndShowRequestsReachTheDialogOnItsThread) {
  os::OleInitialiser ole;
  plat::EventManager events;
  testing_support::Engine engine;
  for (bool service : {false, true}) {
    Seen seen;
    TestThread thread(&engine.upload(), service, &seen);
    thread.start();
    ASSERT_TRUE(readyWithin(thread));
    // As another process of the mode sets it. (Under Wine the global
    // namespace may be missing: the name then has no "Global\".)
    std::wstring name = std::wstring(L"Torvane.Ostrel.") + (service ? L"service" : L"user") +
                        L".SendFilesToViewers";
    HANDLE named = OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name.c_str());
    if (!named)
      named = OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, (L"Global\\" + name).c_str());
    ASSERT_TRUE(named != nullptr) << service;
    SetEvent(named);
    ASSERT_TRUE(waitFor(seen.shown, 1));
    EXPECT_NE(GetCurrentThreadId(), seen.thread.load());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(named, 0));
    CloseHandle(named);

    thread.showDialog();
    EXPECT_TRUE(waitFor(seen.shown, 2));
  }
}

TEST(SendFiles, TwiceInARowTheFirstFailingLeavesBothThreadsAnswering) {
  plat::appInit("ferrin_tests", nullptr);
  os::OleInitialiser ole;
  plat::EventManager events;
  plat::TimerManager timers;
  testing_support::Engine engine;
  testing_support::TempDir dir;
  testing_support::writeFile(dir.file("gone.txt"), "x");
  testing_support::writeFile(dir.file("kept.txt"), "y");
  os::ItemIdList gone(dir.file("gone.txt").c_str());
  os::ItemIdList kept(dir.file("kept.txt").c_str());
  // Chosen, then gone before the main thread looks at it.
  DeleteFileW(testing_support::wide(dir.file("gone.txt")).c_str());
  SendingThread thread(&engine.upload(), {{gone}, {kept}});
  thread.start();
  ASSERT_TRUE(readyWithin(thread));
  HWND dialog = thread.dialogWindow();
  uint32_t before = engine.upload().currentShareId();

  std::atomic<bool> offered{false};
  bool offeredFirst = true, mainAnswered = false, windowAnswered = false;
  HWND boxOwner = nullptr;
  std::wstring said;
  {
    // The main thread shows nothing: a box there is dismissed, and said.
    testing_support::ModalHelper strays;
    testing_support::ModalHelper helper(GetWindowThreadProcessId(dialog, nullptr));
    helper.expect(L"", [&](HWND box) {
      said = testing_support::staticTexts(box);
      boxOwner = GetWindow(box, GW_OWNER);
      offeredFirst = offered;
      // "Send files..." once more while the box is up: the main thread
      // takes the choice and the window thread still answers.
      PostMessageW(dialog, WM_APP, 0, 0);
      mainAnswered =
          testing_support::waitUntil([&] { return offered.load(); }, testing_support::LongWaitMs);
      DWORD_PTR answer;
      windowAnswered = SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                           testing_support::LongWaitMs, &answer) != 0;
      testing_support::ModalHelper::dismiss(box);
    });
    PostMessageW(dialog, WM_APP, 0, 0);
    // The helper's progress wakes nothing here: a tick does.
    UINT_PTR tick = SetTimer(nullptr, 0, 50, nullptr);
    EXPECT_TRUE(testing_support::pumpUntil(
        [&] {
          if (engine.upload().currentShareId() != before)
            offered = true;
          return helper.done();
        },
        2 * testing_support::LongWaitMs));
    KillTimer(nullptr, tick);
    for (const std::string& problem : helper.problems())
      ADD_FAILURE() << problem;
    for (const std::string& problem : strays.problems())
      ADD_FAILURE() << problem;
  }
  EXPECT_NE(std::wstring::npos, said.find(L"IShellFolder")) << testing_support::utf8(said);
  EXPECT_EQ(dialog, boxOwner);
  EXPECT_FALSE(offeredFirst);
  EXPECT_TRUE(mainAnswered);
  EXPECT_TRUE(windowAnswered);
}

TEST(WindowThread, WhateverItsStartThrowsEndsTheWaitWithIt) {
  os::OleInitialiser ole;
  plat::EventManager events;
  testing_support::Engine engine;
  for (bool dialogMade : {false, true}) {
    // Left to its wait, should the wait never end.
    FailingThread* thread = new FailingThread(&engine.upload(), dialogMade);
    thread->start();
    std::string thrown;
    bool returned = testing_support::returnsWithin(testing_support::LongWaitMs, [&] {
      try {
        thread->waitReady();
      } catch (const std::runtime_error& e) {
        thrown = e.what();
      } catch (const plat::Exception& e) {
        thrown = e.str();
      }
    });
    ASSERT_TRUE(returned) << "start-up waits for ever";
    EXPECT_EQ(dialogMade ? "no window" : "no dialog", thrown);
    // Asked again, it says the same.
    EXPECT_ANY_THROW(thread->dialogWindow());
    // The dialog's proxy went with the thread's event manager, before it.
    delete thread;
  }
}

TEST(WindowThread, WhateverAPassOfItsLoopThrowsIsShownAndTheLoopGoesOn) {
  plat::appInit("ferrin_tests", nullptr); // the box's caption
  os::OleInitialiser ole;
  plat::EventManager events;
  testing_support::Engine engine;
  Seen seen;
  ThrowingOnceThread thread(&engine.upload(), false, &seen);
  thread.start();
  ASSERT_TRUE(readyWithin(thread));
  std::wstring said;
  {
    testing_support::ModalHelper helper(thread.getThreadId());
    helper.expect(L"", [&](HWND box) {
      said = testing_support::staticTexts(box);
      testing_support::ModalHelper::dismiss(box);
    });
    EXPECT_TRUE(
        testing_support::waitUntil([&] { return helper.done(); }, testing_support::LongWaitMs));
    for (const std::string& problem : helper.problems())
      ADD_FAILURE() << problem;
  }
  EXPECT_NE(std::wstring::npos, said.find(L"bad_alloc")) << testing_support::utf8(said);
  // The thread still serves the dialog.
  thread.showDialog();
  EXPECT_TRUE(waitFor(seen.shown, 1));
}
