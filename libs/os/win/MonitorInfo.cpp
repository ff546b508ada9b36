#include "os/win/MonitorInfo.h"
#include "plat/LogWriter.h"
#include "plat/String.h"
#include "plat/win/DynamicFn.h"
#include "plat/win/Unicode.h"

namespace os {

static plat::LogWriter vlog("MonitorInfo");

typedef BOOL(WINAPI* GetMonitorInfoFn)(HMONITOR, LPMONITORINFO);
typedef HMONITOR(WINAPI* MonitorFromRectFn)(LPCRECT, DWORD);
typedef HMONITOR(WINAPI* MonitorFromWindowFn)(HWND, DWORD);

static const plat::DynamicFnT<GetMonitorInfoFn>& getMonitorInfo() {
  static plat::DynamicFnT<GetMonitorInfoFn> fn("user32", "GetMonitorInfoW");
  return fn;
}
static const plat::DynamicFnT<MonitorFromRectFn>& monitorFromRect() {
  static plat::DynamicFnT<MonitorFromRectFn> fn("user32", "MonitorFromRect");
  return fn;
}

static const plat::DynamicFnT<MonitorFromWindowFn>& monitorFromWindow() {
  static plat::DynamicFnT<MonitorFromWindowFn> fn("user32", "MonitorFromWindow");
  return fn;
}

MonitorInfo::MonitorInfo(HMONITOR monitor) : info_() { fill(monitor); }

MonitorInfo::MonitorInfo(HWND window) : info_() {
  if (window) {
    try {
      if (monitorFromWindow().isValid()) {
        HMONITOR monitor = monitorFromWindow().get()(window, MONITOR_DEFAULTTONEAREST);
        if (!monitor)
          throw plat::SystemException("failed to get monitor", (int)GetLastError());
        fill(monitor);
        return;
      }
    } catch (const plat::Exception& e) {
      vlog.error("%s", e.str());
    }
  }
  fillWholeDesktop();
}

MonitorInfo::MonitorInfo(const RECT& rect) : info_() {
  if (!IsRectEmpty(&rect)) {
    try {
      if (monitorFromRect().isValid()) {
        HMONITOR monitor = monitorFromRect().get()(&rect, MONITOR_DEFAULTTONEAREST);
        if (!monitor)
          throw plat::SystemException("failed to get monitor", (int)GetLastError());
        fill(monitor);
        return;
      }
    } catch (const plat::Exception& e) {
      vlog.error("%s", e.str());
    }
  }
  fillWholeDesktop();
}

void MonitorInfo::fill(HMONITOR monitor) {
  vlog.write(100, "monitor=%lx", (unsigned long)(uintptr_t)monitor);
  if (!getMonitorInfo().isValid())
    throw plat::Exception("no GetMonitorInfo");
  info_ = MONITORINFOEXW();
  info_.cbSize = sizeof(info_);
  if (!getMonitorInfo().get()(monitor, &info_))
    throw plat::SystemException("failed to GetMonitorInfo", (int)GetLastError());
  const RECT& m = info_.rcMonitor;
  const RECT& w = info_.rcWork;
  vlog.write(100, "monitor is %d,%d-%d,%d", (int)m.left, (int)m.top, (int)m.right, (int)m.bottom);
  vlog.write(100, "work area is %d,%d-%d,%d", (int)w.left, (int)w.top, (int)w.right,
             (int)w.bottom);
  plat::String device = plat::String::adopt(plat::W2MB(info_.szDevice));
  vlog.write(100, "device is \"%s\"", device.c_str());
}

void MonitorInfo::fillWholeDesktop() {
  vlog.write(100, "reverting to full desktop");
  info_ = MONITORINFOEXW();
  info_.cbSize = sizeof(info_);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  int primaryWidth = GetSystemMetrics(SM_CXSCREEN);
  int primaryHeight = GetSystemMetrics(SM_CYSCREEN);
  info_.rcMonitor.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  info_.rcMonitor.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  info_.rcMonitor.right = info_.rcMonitor.left + (width > primaryWidth ? width : primaryWidth);
  info_.rcMonitor.bottom = info_.rcMonitor.top + (height > primaryHeight ? height : primaryHeight);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &info_.rcWork, 0);
}

void getMonitorInfo(MONITORINFOEXW* info, HWND window) { *info = MonitorInfo(window).info(); }

void clipTo(const MONITORINFOEXW& monitor, HWND window) {
  plat::String device = plat::String::adopt(plat::W2MB(monitor.szDevice));
  vlog.write(100, "clipTo monitor=%s", device.c_str());
  RECT r;
  if (!GetWindowRect(window, &r))
    throw plat::SystemException("GetWindowRect", (int)GetLastError());
  const RECT& work = monitor.rcWork;
  // A window that fits is moved in whole; one that does not ends up as
  // the work area.
  if (r.top < work.top)
    OffsetRect(&r, 0, work.top - r.top);
  if (r.left < work.left)
    OffsetRect(&r, work.left - r.left, 0);
  if (r.bottom > work.bottom)
    OffsetRect(&r, 0, work.bottom - r.bottom);
  if (r.right > work.right)
    OffsetRect(&r, work.right - r.right, 0);
  r.left = r.left < work.left ? work.left : r.left;
  r.top = r.top < work.top ? work.top : r.top;
  r.right = r.right > work.right ? work.right : r.right;
  r.bottom = r.bottom > work.bottom ? work.bottom : r.bottom;
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

} // namespace os
