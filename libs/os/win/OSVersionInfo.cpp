#include "os/win/OSVersionInfo.h"
#include "os/EventName.h"
#include "plat/Exception.h"

#include <cwchar>

namespace os {

OSVersionInfo::OSVersionInfo() : record_() {
  record_.dwOSVersionInfoSize = sizeof(record_);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&record_)))
    throw plat::SystemException("unable to get system version info", (int)GetLastError());
  setFlags();
}

OSVersionInfo::OSVersionInfo(const OSVERSIONINFOEXW& record) : record_(record) { setFlags(); }

void OSVersionInfo::setFlags() {
  isNT_ = record_.dwPlatformId == VER_PLATFORM_WIN32_NT;
  is9x_ = record_.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
  const wchar_t* sp = record_.szCSDVersion;
  isOldNT4_ = isNT_ && record_.dwMajorVersion == 4 &&
              (sp[0] == 0 || wcscmp(sp, L"Service Pack 1") == 0 ||
               wcscmp(sp, L"Service Pack 2") == 0);
  hasGlobalNamespace_ =
      isNT_ && (record_.dwMajorVersion > 4 || (record_.wSuiteMask & VER_SUITE_TERMINAL) != 0);
}

const OSVersionInfo& osVersion() {
  static const OSVersionInfo info;
  return info;
}

// Filled at program start rather than on some later thread's first use.
static const OSVersionInfo& filledAtStart = osVersion();

EventName::EventName(const char* baseName, bool global)
    : EventName(baseName, global, osVersion().hasGlobalNamespace()) {}

} // namespace os
