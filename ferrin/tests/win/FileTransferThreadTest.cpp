// The window thread: the named event and the main thread's requests reach
// the dialog on the window thread; files sent from it reach the main
// thread, and a failure is shown to the user.
#include "ferrin/win/FileTransferThread.h"
#include "ferrin/win/UploadManagerProxy.h"
#include "os/win/OleInitialiser.h"
#include "plat/win/AppInit.h"
#include "plat/win/EventManager.h"
#include "testing/FtEngine.h"
#include "testing/ModalHelper.h"
#include "testing/TempDir.h"
#include "testing/WindowInput.h"

#include <gtest/gtest.h>

#include <atomic>

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

private:
  Seen* seen_;
};

bool waitFor(const std::atomic<int>& value, int wanted) {
  for (int i = 0; i < 500 && value < wanted; i++)
    Sleep(10);
  return value >= wanted;
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
    thread.waitReady();
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
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(named, 100));
    CloseHandle(named);

    thread.showDialog();
    EXPECT_TRUE(waitFor(seen.shown, 2));
  }
}

TEST(SendFiles, AFailureIsShownToItsOwnerAndNothingIsOffered) {
  plat::appInit("ferrin_tests", nullptr);
  os::OleInitialiser ole;
  plat::EventManager events;
  testing_support::Engine engine;
  ft::UploadManagerProxy proxy(&engine.upload());
  testing_support::TempDir dir;
  testing_support::writeFile(dir.file("gone.txt"), "x");
  os::ItemIdList chosen(dir.file("gone.txt").c_str());
  // Chosen, then gone before the main thread looks at it.
  DeleteFileW(testing_support::wide(dir.file("gone.txt")).c_str());
  uint32_t before = engine.upload().currentShareId();
  std::wstring said;
  {
    testing_support::ModalHelper helper;
    helper.expect(L"", [&](HWND box) {
      said = testing_support::staticTexts(box);
      testing_support::ModalHelper::dismiss(box);
    });
    proxy.sendFiles({chosen}, nullptr);
    MSG msg;
    for (int i = 0; i < 500 && !helper.done(); i++)
      if (events.awaitEvent(&msg, 20))
        DispatchMessageW(&msg);
    for (const std::string& problem : helper.problems())
      ADD_FAILURE() << problem;
  }
  EXPECT_NE(std::wstring::npos, said.find(L"IShellFolder")) << testing_support::utf8(said);
  EXPECT_EQ(before, engine.upload().currentShareId());
}
