#include "os/win/MonitorInfo.h"
#include "os/win/StartupValues.h"
#include "RecordingLogger.h"

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

TEST(StartupValues, ReadAtStart) {
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), os::screenDpi());
  ReleaseDC(nullptr, screen);
  EXPECT_GT(os::screenDpi(), 0);
}
