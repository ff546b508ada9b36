#include "os/win/MonitorInfo.h"
#include "os/win/StartupValues.h"
#include "testing/RecordingLogger.h"

#include <gtest/gtest.h>

TEST(MonitorInfo, EmptyRectangleGivesTheWholeDesktop) {
  RecordingLogger log;
  log.attach("MonitorInfo:record:100");
  RECT empty = {100, 100, 100, 300};
  os::MonitorInfo info(empty);
  EXPECT_TRUE(log.has("MonitorInfo: reverting to full desktop"));
  const RECT& m = info.monitor();
  EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), m.left);
  EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), m.top);
  EXPECT_GE(m.right - m.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_GE(m.right - m.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_GE(m.bottom - m.top, GetSystemMetrics(SM_CYSCREEN));
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(EqualRect(&work, &info.workArea()));
  EXPECT_EQ(0u, info.info().dwFlags);
  EXPECT_EQ(L'\0', info.info().szDevice[0]);
}

TEST(MonitorInfo, RectangleOnTheScreenFindsItsMonitor) {
  RecordingLogger log;
  log.attach("MonitorInfo:record:100");
  RECT inside = {10, 10, 50, 50};
  os::MonitorInfo info(inside);
  EXPECT_FALSE(log.has("MonitorInfo: reverting to full desktop"));
  POINT corner = {10, 10};
  EXPECT_TRUE(PtInRect(&info.monitor(), corner));
  EXPECT_TRUE(log.hasPrefix("MonitorInfo: monitor is "));
  EXPECT_TRUE(log.hasPrefix("MonitorInfo: device is \""));

  // Far off every screen: the nearest monitor still answers.
  RECT distant = {100000, 100000, 100010, 100010};
  os::MonitorInfo nearest(distant);
  EXPECT_FALSE(log.has("MonitorInfo: reverting to full desktop"));
}

TEST(MonitorInfo, ByHandle) {
  POINT origin = {0, 0};
  HMONITOR monitor = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
  os::MonitorInfo info(monitor);
  EXPECT_NE(0u, info.info().dwFlags & MONITORINFOF_PRIMARY);
  EXPECT_TRUE(PtInRect(&info.monitor(), origin));
}

namespace {

// A plain top-level popup: no frame for the system to adjust.
struct Popup {
  Popup(int x, int y, int w, int h) {
    window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"popup", WS_POPUP, x, y, w, h,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~Popup() { DestroyWindow(window); }
  RECT rect() const {
    RECT r;
    GetWindowRect(window, &r);
    return r;
  }
  HWND window;
};

} // namespace

TEST(MonitorInfo, OfAWindow) {
  RecordingLogger log;
  log.attach("MonitorInfo:record:100");
  Popup popup(20, 20, 100, 80);
  ASSERT_TRUE(popup.window != nullptr);
  MONITORINFOEXW info;
  os::getMonitorInfo(&info, popup.window);
  EXPECT_EQ(sizeof(MONITORINFOEXW), info.cbSize);
  POINT corner = {20, 20};
  EXPECT_TRUE(PtInRect(&info.rcMonitor, corner));
  EXPECT_FALSE(log.has("MonitorInfo: reverting to full desktop"));

  os::getMonitorInfo(&info, nullptr);
  EXPECT_TRUE(log.has("MonitorInfo: reverting to full desktop"));
  EXPECT_EQ(104u, info.cbSize);
}

TEST(MonitorInfo, ClipToTheWorkArea) {
  RecordingLogger log;
  log.attach("MonitorInfo:record:100");
  MONITORINFOEXW info = {};
  info.cbSize = sizeof(info);
  wcscpy(info.szDevice, L"TESTDEV");
  info.rcWork = {100, 50, 900, 650};

  // Partly above and left of the area: moved to its corner, size kept.
  Popup above(40, 10, 200, 150);
  os::clipTo(info, above.window);
  RECT r = above.rect();
  EXPECT_EQ(100, r.left);
  EXPECT_EQ(50, r.top);
  EXPECT_EQ(300, r.right);
  EXPECT_EQ(200, r.bottom);
  EXPECT_TRUE(log.has("MonitorInfo: clipTo monitor=TESTDEV"));

  // Partly below and right: moved back in.
  Popup below(850, 600, 200, 100);
  os::clipTo(info, below.window);
  r = below.rect();
  EXPECT_EQ(700, r.left);
  EXPECT_EQ(550, r.top);
  EXPECT_EQ(900, r.right);
  EXPECT_EQ(650, r.bottom);

  // Larger than the area: the area itself.
  Popup large(0, 0, 1000, 700);
  os::clipTo(info, large.window);
  r = large.rect();
  EXPECT_TRUE(EqualRect(&r, &info.rcWork)) << r.left << "," << r.top << "-" << r.right << ","
                                           << r.bottom;

  // Inside already: untouched.
  Popup inside(200, 100, 50, 50);
  os::clipTo(info, inside.window);
  r = inside.rect();
  EXPECT_EQ(200, r.left);
  EXPECT_EQ(100, r.top);
  EXPECT_EQ(250, r.right);
}

TEST(StartupValues, ReadAtStart) {
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), os::screenDpi());
  ReleaseDC(nullptr, screen);
  EXPECT_GT(os::screenDpi(), 0);
}
