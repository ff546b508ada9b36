#include "os/win/ComInitialiser.h"
#include "os/win/OleInitialiser.h"
#include "os/win/OSVersionInfo.h"
#include "os/EventName.h"
#include "testing/RecordingLogger.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <ole2.h>

TEST(OleInitialiser, SecondInitialisationOnAThreadIsAccepted) {
  RecordingLogger log;
  log.attach("OleInitialiser:record:100");
  {
    os::OleInitialiser first;
    EXPECT_FALSE(log.has("OleInitialiser: OLE already initialised"));
    {
      os::OleInitialiser second;
      EXPECT_TRUE(log.has("OleInitialiser: OLE already initialised"));
    }
    // The inner one left OLE in place for the outer.
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
  }
}

TEST(OleInitialiser, ThreadInAnotherApartmentIsRefused) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  try {
    os::OleInitialiser ole;
    ADD_FAILURE() << "OLE in a multi-threaded apartment";
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(RPC_E_CHANGED_MODE, (HRESULT)e.err);
    EXPECT_EQ(0, strncmp(e.str(), "OleInitialize: ", 15));
  }
  CoUninitialize();
}

TEST(ComInitialiser, BalancesItsInitialisation) {
  {
    os::ComInitialiser com;
    // The thread is in a single-threaded apartment now.
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
    os::ComInitialiser again; // accepted, and balanced in turn
  }
  // Gone again: a multi-threaded apartment may be entered.
  ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  try {
    os::ComInitialiser com;
    ADD_FAILURE() << "COM in a multi-threaded apartment";
  } catch (const plat::SystemException& e) {
    EXPECT_EQ(RPC_E_CHANGED_MODE, (HRESULT)e.err);
    EXPECT_EQ(0, strncmp(e.str(), "CoInitialize: ", 14));
  }
  CoUninitialize();
}

TEST(OleInitialiser, ComSecurityTwiceIsAccepted) {
  os::OleInitialiser ole;
  os::initComSecurity();
  os::initComSecurity();
}

namespace {

OSVERSIONINFOEXW record(DWORD platform, DWORD major, const wchar_t* servicePack,
                        WORD suites = 0) {
  OSVERSIONINFOEXW r = {};
  r.dwOSVersionInfoSize = sizeof(r);
  r.dwPlatformId = platform;
  r.dwMajorVersion = major;
  wcscpy(r.szCSDVersion, servicePack);
  r.wSuiteMask = suites;
  return r;
}

} // namespace

TEST(OSVersionInfo, FlagsFollowTheRecord) {
  os::OSVersionInfo nt4(record(VER_PLATFORM_WIN32_NT, 4, L"Service Pack 2"));
  EXPECT_TRUE(nt4.isNT());
  EXPECT_TRUE(nt4.isOldNT4());
  EXPECT_FALSE(nt4.hasGlobalNamespace());
  EXPECT_TRUE(os::OSVersionInfo(record(VER_PLATFORM_WIN32_NT, 4, L"")).isOldNT4());
  EXPECT_FALSE(os::OSVersionInfo(record(VER_PLATFORM_WIN32_NT, 4, L"Service Pack 6")).isOldNT4());

  os::OSVersionInfo terminal(record(VER_PLATFORM_WIN32_NT, 4, L"", VER_SUITE_TERMINAL));
  EXPECT_TRUE(terminal.hasGlobalNamespace());

  os::OSVersionInfo win98(record(VER_PLATFORM_WIN32_WINDOWS, 4, L""));
  EXPECT_TRUE(win98.is9x());
  EXPECT_FALSE(win98.isNT());
  EXPECT_FALSE(win98.isOldNT4());
  EXPECT_FALSE(win98.hasGlobalNamespace());

  EXPECT_TRUE(os::osVersion().isNT());
  EXPECT_TRUE(os::osVersion().hasGlobalNamespace());
  EXPECT_EQ(sizeof(OSVERSIONINFOEXW), os::osVersion().record().dwOSVersionInfoSize);
}

TEST(OSVersionInfo, EventNameOnThisSystem) {
  EXPECT_STREQ("Global\\Torvane.Ostrel.x", os::EventName("x", true).str());
  EXPECT_STREQ("Torvane.Ostrel.x", os::EventName("x", false).str());
}
