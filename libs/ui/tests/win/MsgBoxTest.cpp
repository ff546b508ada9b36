#include "plat/win/AppInit.h"
#include "ui/win/MsgBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace ui;

namespace {

std::wstring windowText(HWND w) {
  wchar_t buf[256];
  GetWindowTextW(w, buf, 256);
  return buf;
}

// Closes the box as soon as it is shown, recording what it saw.
struct Closer : MsgBoxModifier {
  int calls = 0;
  HWND box = nullptr;
  std::wstring caption;
  bool wasVisible = true;
  void modify(HWND box) override {
    calls++;
    this->box = box;
    caption = windowText(box);
    wasVisible = IsWindowVisible(box) != 0;
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  }
};

struct MsgBoxes : testing::Test {
  static void SetUpTestSuite() {
    testing::internal::CaptureStderr();
    plat::appInit("uitests", nullptr);
    testing::internal::GetCapturedStderr();
  }
};

} // namespace

TEST_F(MsgBoxes, CaptionIsTheDisplayNameWithAnOptionalSuffix) {
  Closer plain;
  EXPECT_EQ(IDCANCEL, MsgBox(nullptr, "text", MB_OKCANCEL, nullptr, &plain));
  EXPECT_EQ(L"Ostrel Toolkit Tests", plain.caption);

  Closer suffixed;
  MsgBox(nullptr, "text", MB_OKCANCEL, "Downloads", &suffixed);
  EXPECT_EQ(L"Ostrel Toolkit Tests: Downloads", suffixed.caption);
}

TEST_F(MsgBoxes, ModifierRunsOnceBeforeTheBoxIsShown) {
  Closer closer;
  MsgBox(nullptr, "a longer text\nover two lines", MB_OKCANCEL | MB_ICONWARNING, nullptr, &closer);
  EXPECT_EQ(1, closer.calls);
  EXPECT_FALSE(closer.wasVisible);
}

TEST_F(MsgBoxes, NoModifierInstallsNoHook) {
  // Hooks are called newest first, and the modifier's hook keeps the box's
  // activation to itself: a hook of the test's, installed before the box,
  // sees that activation only when MsgBox installed none.
  static std::vector<HWND> activated;
  static HHOOK watch;
  activated.clear();
  watch = SetWindowsHookExW(
      WH_CBT,
      [](int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE)
          activated.push_back((HWND)wParam);
        return CallNextHookEx(watch, code, wParam, lParam);
      },
      nullptr, GetCurrentThreadId());
  ASSERT_TRUE(watch != nullptr);
  // Without a modifier nothing closes the box for us: a timer on this
  // thread finds it by its caption and cancels it.
  static HWND found;
  found = nullptr;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(L"#32770", L"Ostrel Toolkit Tests");
    if (box) {
      found = box;
      PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    }
  });
  EXPECT_EQ(IDCANCEL, MsgBox(nullptr, "no hook", MB_OKCANCEL));
  KillTimer(nullptr, timer);
  ASSERT_NE(nullptr, found);
  EXPECT_NE(activated.end(), std::find(activated.begin(), activated.end(), found));

  // The same watch misses the activation of a box with a modifier.
  activated.clear();
  Closer closer;
  MsgBox(nullptr, "hooked", MB_OKCANCEL, nullptr, &closer);
  EXPECT_EQ(1, closer.calls);
  EXPECT_EQ(activated.end(), std::find(activated.begin(), activated.end(), closer.box));
  UnhookWindowsHookEx(watch);
}
