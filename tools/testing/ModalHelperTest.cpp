#include "testing/ModalHelper.h"

#include <gtest/gtest.h>

using testing_support::ModalHelper;

// A step still at work when the test's thread stops waiting for it (the
// modal loop it was meant for ended early) sends to that thread's window.
TEST(ModalHelper, StepSendingAfterTheLoopEndedIsAnswered) {
  HWND window = CreateWindowExW(0, L"STATIC", L"Probe", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  std::atomic<bool> started{false};
  LRESULT length = 0;
  {
    ModalHelper helper;
    helper.expect(L"Probe", [&](HWND found) {
      started = true;
      Sleep(200);
      length = SendMessageW(found, WM_GETTEXTLENGTH, 0, 0);
    });
    while (!started) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
      Sleep(10);
    }
  }
  EXPECT_EQ(5, length);
  DestroyWindow(window);
}
