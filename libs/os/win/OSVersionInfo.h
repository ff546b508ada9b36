// The operating-system version record, filled once at program start.
#pragma once

#include <windows.h>

namespace os {

class OSVersionInfo {
public:
  // Asks the system (GetVersionExW).
  OSVersionInfo();
  // Takes a record as given; the flags follow from it as from the system's.
  explicit OSVersionInfo(const OSVERSIONINFOEXW& record);

  const OSVERSIONINFOEXW& record() const { return record_; }
  bool isNT() const { return isNT_; }
  bool is9x() const { return is9x_; }
  // NT 4 before Service Pack 3.
  bool isOldNT4() const { return isOldNT4_; }
  // Whether kernel-object names may start with "Global\".
  bool hasGlobalNamespace() const { return hasGlobalNamespace_; }

private:
  void setFlags();

  OSVERSIONINFOEXW record_;
  bool isNT_;
  bool is9x_;
  bool isOldNT4_;
  bool hasGlobalNamespace_;
};

// The process's record.
const OSVersionInfo& osVersion();

} // namespace os
