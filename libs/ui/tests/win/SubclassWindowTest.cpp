#include "ui/win/SubclassWindow.h"
#include "ui/win/Tooltip.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ui;

namespace {

std::vector<UINT> originalSaw;

LRESULT CALLBACK originalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  originalSaw.push_back(msg);
  if (msg == WM_USER)
    return 7;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A layer that subclasses the window later, the way a tooltip with
// TTF_SUBCLASS does.
WNDPROC belowTopLayer;
int topLayerCalls;
LRESULT CALLBACK topLayerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  topLayerCalls++;
  return CallWindowProcW(belowTopLayer, hwnd, msg, wParam, lParam);
}

struct Watcher : SubclassWindow::SubclassProcCallback {
  std::vector<UINT> seen;
  LRESULT subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(msg);
    if (msg == WM_USER + 1)
      return 99;
    return SubclassWindow::callOriginalProc(hwnd, msg, wParam, lParam);
  }
  bool saw(UINT msg) const {
    for (UINT m : seen)
      if (m == msg)
        return true;
    return false;
  }
};

struct Subclassing : testing::Test {
  static void SetUpTestSuite() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = originalProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"kiv.tests.Subclassed";
    RegisterClassW(&wc);
  }
  void SetUp() override {
    originalSaw.clear();
    window = CreateWindowExW(0, L"kiv.tests.Subclassed", L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window != nullptr);
  }
  void TearDown() override {
    if (IsWindow(window))
      DestroyWindow(window);
  }
  WNDPROC proc() const { return (WNDPROC)GetWindowLongPtrW(window, GWLP_WNDPROC); }
  HWND window = nullptr;
};

} // namespace

TEST_F(Subclassing, ASecondSubclassIsIgnored) {
  Watcher first, second;
  SubclassWindow a(&first), b(&second);
  a.subclass(window);
  WNDPROC shared = proc();
  a.subclass(window);
  b.subclass(window);
  EXPECT_EQ(&a, SubclassWindow::subclassedBy(window));
  EXPECT_EQ(shared, proc());
  EXPECT_EQ(99, SendMessageW(window, WM_USER + 1, 0, 0));
  EXPECT_EQ(7, SendMessageW(window, WM_USER, 0, 0)); // passed on to the original
  EXPECT_EQ(2u, first.seen.size());
  EXPECT_TRUE(second.seen.empty());

  a.unsubclass(window);
  EXPECT_EQ((WNDPROC)originalProc, proc());
  EXPECT_EQ(nullptr, SubclassWindow::subclassedBy(window));
}

TEST_F(Subclassing, ALaterLayerOnTopSurvivesOurUnsubclass) {
  Watcher watcher;
  {
    SubclassWindow ours(&watcher);
    ours.subclass(window);
    belowTopLayer = (WNDPROC)SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)topLayerProc);
    ours.unsubclass(window);
    EXPECT_EQ((WNDPROC)topLayerProc, proc());
    EXPECT_EQ(nullptr, SubclassWindow::subclassedBy(window));

    // The chain below the top layer still reaches the original procedure.
    topLayerCalls = 0;
    EXPECT_EQ(7, SendMessageW(window, WM_USER, 0, 0));
    EXPECT_EQ(1, topLayerCalls);
    EXPECT_FALSE(watcher.saw(WM_USER));

    // Subclassed again while still in the chain: no loop.
    ours.subclass(window);
    EXPECT_EQ(7, SendMessageW(window, WM_USER, 0, 0));
    EXPECT_TRUE(watcher.saw(WM_USER));
  }
  // The destructor let go as well; the original still answers.
  EXPECT_EQ(7, SendMessageW(window, WM_USER, 0, 0));
  DestroyWindow(window);
  EXPECT_EQ(0, SubclassWindow::callOriginalProc(window, WM_USER, 0, 0));
}

TEST_F(Subclassing, DestroyedWindowIsUnsubclassedAfterItsLastMessage) {
  Watcher watcher;
  SubclassWindow ours(&watcher);
  ours.subclass(window);
  WNDPROC during = nullptr;
  struct Spy : SubclassWindow::SubclassProcCallback {
    WNDPROC* during;
    LRESULT subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
      if (msg == WM_NCDESTROY)
        *during = (WNDPROC)GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
      return SubclassWindow::callOriginalProc(hwnd, msg, wParam, lParam);
    }
  } spy;
  spy.during = &during;
  SubclassWindow spying(&spy);
  HWND other = CreateWindowExW(0, L"kiv.tests.Subclassed", L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  spying.subclass(other);
  WNDPROC shared = (WNDPROC)GetWindowLongPtrW(other, GWLP_WNDPROC);
  DestroyWindow(other);
  EXPECT_EQ(shared, during); // the callback still had its last message
  EXPECT_EQ(nullptr, SubclassWindow::subclassedBy(other));

  DestroyWindow(window);
  EXPECT_TRUE(watcher.saw(WM_NCDESTROY));
  EXPECT_TRUE(originalSaw.back() == WM_NCDESTROY);
  EXPECT_EQ(nullptr, SubclassWindow::subclassedBy(window));
}

TEST_F(Subclassing, ATooltipOnTopWhenTheWindowGoesLeavesNothingRecorded) {
  // The tooltip subclasses the window after us (TTF_SUBCLASS) and still
  // sits on top when the window is destroyed. Its handle may come back as
  // a new window, which must then be subclassed afresh.
  Watcher watcher;
  SubclassWindow ours(&watcher);
  ours.subclass(window);
  WNDPROC shared = proc();
  ui::Tooltip tip(nullptr);
  tip.addTool(window, "tip", 200);
  ASSERT_NE(shared, proc());
  DestroyWindow(window);
  EXPECT_TRUE(watcher.saw(WM_NCDESTROY));
  EXPECT_EQ(nullptr, SubclassWindow::subclassedBy(window));
  // No saved procedure is left to call for the handle...
  EXPECT_EQ(0, SubclassWindow::callOriginalProc(window, WM_USER, 0, 0));
  // ...nor taken for one still in the window's chain.
  ours.subclass(window);
  EXPECT_EQ(nullptr, SubclassWindow::subclassedBy(window));
}
