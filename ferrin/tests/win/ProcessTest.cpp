// ferrin.exe started as the viewer or server starts it.
#include "win/FerrinProcess.h"
#include "testing/ReturnsWithin.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using namespace ferrin_test;
using testing_support::LongWaitMs;
using testing_support::TempDir;
using testing_support::readFile;

namespace {

std::wstring endpoint(int port) { return L"127.0.0.1::" + std::to_wstring(port); }

uint32_t cookieSent(const std::wstring& cookieText) {
  Listener listener;
  FerrinProcess ferrin(cookieText + L" " + endpoint(listener.port()) + L" -user 0");
  SOCKET s = listener.accept(LongWaitMs);
  EXPECT_NE(INVALID_SOCKET, s);
  unsigned char bytes[4] = {};
  EXPECT_TRUE(readExactly(s, (char*)bytes, 4, LongWaitMs));
  closesocket(s);
  EXPECT_EQ(0, ferrin.wait(LongWaitMs));
  return (uint32_t)bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
}

// A scratch copy of the user-mode settings key, removed afterwards.
struct SettingsKey {
  HKEY key = nullptr;
  SettingsKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, path());
    RegCreateKeyExW(HKEY_CURRENT_USER, path(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
  }
  ~SettingsKey() {
    RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, path());
  }
  static const wchar_t* path() { return L"SOFTWARE\\Torvane\\FileTransfer_User"; }
  void set(const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)value.c_str(),
                   (DWORD)((value.size() + 1) * sizeof(wchar_t)));
  }
};

} // namespace

TEST(FerrinProcess, TooFewArgumentsExitWithOne) {
  EXPECT_EQ(1, FerrinProcess(L"").wait(LongWaitMs));
  EXPECT_EQ(1, FerrinProcess(L"1 127.0.0.1::5900 -user").wait(LongWaitMs));
}

TEST(FerrinProcess, EndpointWithoutPortExitsWithOne) {
  EXPECT_EQ(1, FerrinProcess(L"1 127.0.0.1 -user 0").wait(LongWaitMs));
}

TEST(FerrinProcess, NoListenerExitsWithOne) {
  int port;
  {
    Listener gone;
    port = gone.port();
  }
  EXPECT_EQ(1, FerrinProcess(L"1 " + endpoint(port) + L" -user 0").wait(LongWaitMs));
}

TEST(FerrinProcess, CookieIsTheFirstFourBytesBigEndian) {
  EXPECT_EQ(0x01020304u, cookieSent(L"0x01020304"));
  EXPECT_EQ(3735928559u, cookieSent(L"3735928559"));
  EXPECT_EQ(8u, cookieSent(L"010"));
}

TEST(FerrinProcess, PeerClosingEndsWithZero) {
  Listener listener;
  FerrinProcess ferrin(L"7 " + endpoint(listener.port()) + L" -user 0");
  SOCKET s = listener.accept(LongWaitMs);
  ASSERT_NE(INVALID_SOCKET, s);
  char cookie[4];
  ASSERT_TRUE(readExactly(s, cookie, 4, LongWaitMs));
  EXPECT_EQ(-1, ferrin.wait(300)); // still serving
  closesocket(s);
  EXPECT_EQ(0, ferrin.wait(LongWaitMs));
}

TEST(FerrinProcess, RegistryValuesBecomeSettingsAndTheCommandLineWins) {
  TempDir dir;
  std::string logFile = dir.file("ferrin.log");
  SettingsKey key;
  key.set(L"LogFile", testing_support::wide(logFile));
  key.set(L"Log", L"ConfigParameter:file:100,ferrin:file:0");
  // Values are reported in the key's order, which may be by name: this one
  // sorts after Log and LogFile, so its change is logged.
  key.set(L"MaxOutBufferSize", L"123456");

  Listener listener;
  FerrinProcess ferrin(L"1 " + endpoint(listener.port()) + L" -user 0 MaxOutBufferSize=654321 Nonsense=1");
  SOCKET s = listener.accept(LongWaitMs);
  ASSERT_NE(INVALID_SOCKET, s);
  closesocket(s);
  EXPECT_EQ(0, ferrin.wait(LongWaitMs));

  std::string log = readFile(logFile);
  size_t fromRegistry = log.find("set MaxOutBufferSize(Int) to 123456, priority 50");
  size_t fromCommandLine = log.find("set MaxOutBufferSize(Int) to 654321, priority 50");
  EXPECT_NE(std::string::npos, fromRegistry) << log;
  EXPECT_NE(std::string::npos, fromCommandLine) << log;
  EXPECT_LT(fromRegistry, fromCommandLine);
}

TEST(FerrinProcess, StartupFailuresAreLogged) {
  TempDir dir;
  std::string logFile = dir.file("ferrin.log");
  SettingsKey key;
  key.set(L"LogFile", testing_support::wide(logFile));
  key.set(L"Log", L"ferrin:file:0");
  int port;
  {
    Listener gone;
    port = gone.port();
  }
  EXPECT_EQ(1, FerrinProcess(L"1 " + endpoint(port) + L" -user 0").wait(LongWaitMs));
  std::string log = readFile(logFile);
  EXPECT_NE(std::string::npos, log.find(" ferrin:      ")) << log;
  EXPECT_NE(std::string::npos, log.find("Connection refused")) << log;
}

// A Log setting may name any of the program's log writers: each one is
// found, and the elements after it are applied.
TEST(FerrinProcess, EveryLogWriterCanBeNamed) {
  static const wchar_t* const writers[] = {
      L"SelectSocketManager", L"Assertion", L"EventManager", L"TimerManager",
      L"Threading", L"ConfigParameter", L"TcpConnect", L"FdSelectMgr", L"FdManager", L"FdIo",
      L"TcpIo", L"ftExtension", L"AutoDownloader", L"ClipboardFiles", L"ShareDownloader",
      L"ShareClipboard", L"FTMsgReader", L"FTMsgWriter", L"UploadManager", L"DownloadManager",
      L"ClipboardFormats", L"FTDialog", L"FileProxyIStream", L"ComStream", L"FileStream",
      L"DataObject", L"FileProxyWin32File", L"OverlappedInStream", L"ThreadedInStream",
      L"FTSocketServer", L"ComObjectImpl", L"Registry", L"OleInitialiser", L"RegMonitor",
      L"CurrentUser", L"MonitorInfo", L"WMShatter", L"Service", L"MsgWindow",
      L"ClipboardThread", L"GetFileOrFolderDialog", L"DialogHeader", L"HLAccess", L"DynamicFn"};
  std::wstring log;
  for (const wchar_t* writer : writers)
    log += std::wstring(writer) + L"::0,";
  log += L"ferrin:file:0";
  TempDir dir;
  std::string logFile = dir.file("ferrin.log");
  SettingsKey key;
  key.set(L"LogFile", testing_support::wide(logFile));
  key.set(L"Log", log);
  int port;
  {
    Listener gone;
    port = gone.port();
  }
  EXPECT_EQ(1, FerrinProcess(L"1 " + endpoint(port) + L" -user 0").wait(LongWaitMs));
  EXPECT_NE(std::string::npos, readFile(logFile).find("Connection refused"));
}
