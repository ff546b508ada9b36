#include "os/win/MsgWindow.h"
#include "os/win/MsgWindowClass.h"
#include "os/win/WindowDC.h"
#include "testing/RecordingLogger.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

namespace {

struct Owner : os::MsgWindowOwner {
  Owner() : os::MsgWindowOwner("probe") {}
  std::vector<UINT> seen;
  LRESULT processMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    if (message == WM_USER + 1)
      return 42;
    if (message == WM_USER + 2)
      throw plat::Exception("boom");
    if (message == WM_USER + 3)
      throw std::runtime_error("bust");
    if (message == WM_USER + 4)
      throw std::bad_alloc();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  bool saw(UINT message) const {
    for (UINT m : seen)
      if (m == message)
        return true;
    return false;
  }
  HWND window = nullptr;
};

HWND createFor(Owner* owner) {
  return CreateWindowExW(0, os::msgWindowClassName, L"Torvane.Ostrel.probe", 0, 0, 0, 10, 10,
                         nullptr, nullptr, GetModuleHandleW(nullptr), owner);
}

} // namespace

TEST(MsgWindow, OwnerSeesMessagesFromCreateUntilDestroy) {
  RecordingLogger log;
  log.attach("MsgWindow:record:100");
  Owner owner;
  HWND window = createFor(&owner);
  ASSERT_TRUE(window != nullptr) << GetLastError();
  owner.window = window;
  EXPECT_TRUE(owner.saw(WM_CREATE));
  EXPECT_FALSE(owner.saw(WM_NCCREATE)); // before WM_CREATE there is no owner
  EXPECT_EQ((LONG_PTR)&owner, GetWindowLongPtrW(window, GWLP_USERDATA));
  EXPECT_EQ(42, SendMessageW(window, WM_USER + 1, 0, 0));

  char line[80];
  snprintf(line, sizeof(line), "MsgWindow: null _this in %llx, message %x",
           (unsigned long long)(uintptr_t)window, WM_NCCREATE);
  EXPECT_TRUE(log.has(line));

  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(owner.saw(WM_DESTROY));
  snprintf(line, sizeof(line), "MsgWindow: null _this in %llx, message %x",
           (unsigned long long)(uintptr_t)window, WM_DESTROY);
  EXPECT_TRUE(log.has(line));
}

TEST(MsgWindow, WhateverEscapesIsLoggedAndAnswersZero) {
  RecordingLogger log;
  log.attach("MsgWindow:record:0");
  Owner owner;
  HWND window = createFor(&owner);
  ASSERT_TRUE(window != nullptr);
  owner.window = window;
  EXPECT_EQ(0, SendMessageW(window, WM_USER + 2, 0, 0));
  EXPECT_TRUE(log.has("MsgWindow: untrapped (probe): boom"));
  EXPECT_EQ(0, SendMessageW(window, WM_USER + 3, 0, 0));
  EXPECT_TRUE(log.has("MsgWindow: untrapped (probe): bust"));
  EXPECT_EQ(0, SendMessageW(window, WM_USER + 4, 0, 0));
  EXPECT_EQ(3u, log.lines.size()); // the third with the library's text
  // Still answering.
  EXPECT_EQ(42, SendMessageW(window, WM_USER + 1, 0, 0));
  DestroyWindow(window);
}

namespace {

struct Counter : os::MsgWindow {
  Counter() : os::MsgWindow("counter") {}
  int count = 0;
  LRESULT processMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER + 3)
      return ++count;
    return os::MsgWindow::processMessage(message, wParam, lParam);
  }
};

} // namespace

TEST(MsgWindow, NamedHiddenWindowForAnObject) {
  RecordingLogger log;
  log.attach("MsgWindow:record:100");
  HWND handle;
  {
    Counter window;
    handle = window.getHandle();
    ASSERT_TRUE(IsWindow(handle));
    EXPECT_EQ(handle, window.window());
    EXPECT_FALSE(IsWindowVisible(handle));
    EXPECT_STREQ("Torvane.Ostrel.counter", window.name());
    wchar_t title[64];
    GetWindowTextW(handle, title, 64);
    EXPECT_STREQ(L"Torvane.Ostrel.counter", title);
    EXPECT_EQ(1, SendMessageW(handle, WM_USER + 3, 0, 0));
    EXPECT_EQ(2, SendMessageW(handle, WM_USER + 3, 0, 0));
    // Everything else gets the default answer.
    EXPECT_EQ(22, SendMessageW(handle, WM_GETTEXTLENGTH, 0, 0));
    EXPECT_TRUE(log.has("MsgWindow: creating window \"Torvane.Ostrel.counter\""));
    char line[96];
    snprintf(line, sizeof(line), "MsgWindow: created window \"Torvane.Ostrel.counter\" (%llx)",
             (unsigned long long)(uintptr_t)handle);
    EXPECT_TRUE(log.has(line));
  }
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_TRUE(log.has("MsgWindow: destroyed window \"Torvane.Ostrel.counter\""));
}

TEST(WindowDC, HoldsTheWindowsDeviceContext) {
  os::MsgWindow window("dc");
  os::WindowDC dc(window.getHandle());
  EXPECT_NE(nullptr, dc.handle());
  EXPECT_NE(0, GetDeviceCaps(dc, LOGPIXELSX));
  try {
    os::WindowDC none((HWND)(uintptr_t)0x12345678);
    ADD_FAILURE();
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(0, strncmp(e.str(), "GetDC failed: ", 14));
  }
}

TEST(MsgWindow, TimerCarryingACallbackAddressIsDroppedAndLogged) {
  RecordingLogger log;
  log.attach("WMShatter:record:30");
  os::MsgWindow window("shatter");
  HWND handle = window.getHandle();
  // Passed on, the system would call this address.
  const LPARAM callback = (LPARAM)0x123456789abcLL;
  EXPECT_EQ(0, SendMessageW(handle, WM_TIMER, 7, callback));
  char line[128];
  snprintf(line, sizeof(line), "WMShatter: IsSafeWM: 0x%llx received 0x113(7, %llu) - not safe",
           (unsigned long long)(uintptr_t)handle, (unsigned long long)callback);
  EXPECT_TRUE(log.has(line)) << line;
}
