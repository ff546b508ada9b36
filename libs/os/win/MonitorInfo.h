// The geometry of one monitor: its rectangle, its work area and its device
// name. Where monitors cannot be asked about, the whole desktop stands in.
#pragma once

#include <windows.h>

namespace os {

class MonitorInfo {
public:
  explicit MonitorInfo(HMONITOR monitor);
  // The monitor nearest to rect; the whole desktop for an empty rectangle
  // or when the monitor cannot be found.
  explicit MonitorInfo(const RECT& rect);
  // The monitor nearest to window; the whole desktop without a window or
  // when the monitor cannot be found.
  explicit MonitorInfo(HWND window);

  const MONITORINFOEXW& info() const { return info_; }
  const RECT& monitor() const { return info_.rcMonitor; }
  const RECT& workArea() const { return info_.rcWork; }

private:
  void fill(HMONITOR monitor);
  void fillWholeDesktop();

  MONITORINFOEXW info_;
};

// The information of the monitor nearest to window, as MonitorInfo gives it.
void getMonitorInfo(MONITORINFOEXW* info, HWND window);

// Moves window onto the monitor's work area, keeping its size where it
// fits, and shrinks it to the work area where it does not.
void clipTo(const MONITORINFOEXW& monitor, HWND window);

} // namespace os
