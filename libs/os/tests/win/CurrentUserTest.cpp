#include "os/win/CurrentUser.h"
#include "os/win/ImpersonateCurrentUser.h"
#include "os/win/Sid.h"
#include "testing/RecordingLogger.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using os::UserSession;
using os::UserToken;

namespace {

// A session that runs as SYSTEM, as a service-started program would.
struct SystemSession : UserSession {
  bool system = true;
  bool legacy = false;
  bool tokenFound = false;
  DWORD error = ERROR_NO_TOKEN;
  int queries = 0;
  bool isSystem() override { return system; }
  bool is9x() override { return legacy; }
  bool queryUserToken(HANDLE* token, DWORD* err) override {
    queries++;
    if (tokenFound)
      return OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, token) != FALSE;
    *err = error;
    return false;
  }
};

struct CurrentUser : testing::Test {
  CurrentUser() {
    log.attach("CurrentUser:record:100");
    UserSession::replace(&session);
  }
  ~CurrentUser() override { UserSession::replace(nullptr); }

  static bool threadImpersonates() {
    HANDLE token;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
      return false;
    CloseHandle(token);
    return true;
  }

  RecordingLogger log;
  SystemSession session;
};

// A window that looks like a desktop's taskbar, as the logged-on user's
// shell would own.
struct TrayWindow {
  TrayWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, L"Shell_TrayWnd", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  }
  ~TrayWindow() {
    DestroyWindow(window);
    UnregisterClassW(L"Shell_TrayWnd", GetModuleHandleW(nullptr));
  }
  HWND window;
};

} // namespace

TEST(Sid, SystemAndCopies) {
  os::Sid system = os::Sid::SYSTEM();
  ASSERT_FALSE(system.isNone());
  EXPECT_TRUE(IsWellKnownSid(system.get(), WinLocalSystemSid));
  os::Sid copy(system);
  EXPECT_TRUE(copy == system);
  EXPECT_NE(system.get(), copy.get());
  EXPECT_TRUE(os::Sid(nullptr).isNone());
  EXPECT_FALSE(os::Sid() == system);

  BYTE garbage[16] = {9, 9, 9};
  try {
    os::Sid bad(garbage);
    ADD_FAILURE();
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("bad SID", e.str());
  }
}

TEST(Sid, ProcessUserIsNotSystem) {
  HANDLE token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  os::Sid user = os::Sid::tokenUser(token);
  CloseHandle(token);
  EXPECT_FALSE(user.isNone());
  EXPECT_FALSE(user == os::Sid::SYSTEM());
  EXPECT_FALSE(os::isSystem());
}

TEST(UserName, IsTheProcessUser) {
  os::UserName name;
  wchar_t expected[257];
  DWORD length = 257;
  ASSERT_TRUE(GetUserNameW(expected, &length));
  EXPECT_EQ(testing_support::utf8(expected), std::string(name.str()));
}

TEST_F(CurrentUser, OwnTokenWhenNotSystem) {
  session.system = false;
  UserToken token = os::getUserToken();
  EXPECT_TRUE(token.safe());
  ASSERT_FALSE(token.isNone());
  HANDLE own;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own));
  EXPECT_TRUE(os::Sid::tokenUser(token.token()) == os::Sid::tokenUser(own));
  CloseHandle(own);
  EXPECT_EQ(0, session.queries);
}

TEST_F(CurrentUser, NotSystemNeverImpersonates) {
  session.system = false;
  {
    os::ImpersonateCurrentUser as;
    EXPECT_FALSE(threadImpersonates());
    // HKEY_CURRENT_USER is opened again, and is still this user's hive.
    HKEY software;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &software));
    RegCloseKey(software);
  }
  EXPECT_FALSE(threadImpersonates());
}

TEST_F(CurrentUser, SystemWithNobodyLoggedOn) {
  session.error = ERROR_NO_TOKEN;
  UserToken token = os::getUserToken();
  EXPECT_TRUE(log.has("CurrentUser: WTSQueryUserToken OK"));
  EXPECT_TRUE(token.safe());
  EXPECT_TRUE(token.isNone());
  try {
    os::ImpersonateCurrentUser as;
    ADD_FAILURE() << "impersonated nobody";
  } catch (const plat::SystemException&) {
    ADD_FAILURE() << "not the refusal";
  } catch (const plat::Exception& e) {
    EXPECT_STREQ("Cannot impersonate unsafe or null token", e.str());
  }
  EXPECT_FALSE(threadImpersonates());
}

TEST_F(CurrentUser, SystemImpersonatesTheSessionUser) {
  session.tokenFound = true;
  {
    os::ImpersonateCurrentUser as;
    EXPECT_TRUE(log.has("CurrentUser: WTSQueryUserToken OK"));
    EXPECT_TRUE(threadImpersonates());
  }
  EXPECT_FALSE(threadImpersonates());
}

TEST_F(CurrentUser, WithoutTerminalServicesTheTaskbarOwnerIsFound) {
  session.error = ERROR_PROC_NOT_FOUND;
  TrayWindow tray;
  ASSERT_TRUE(tray.window != nullptr);
  UserToken token = os::getUserToken();
  char line[64];
  snprintf(line, sizeof(line), "CurrentUser: WTSQueryUserToken fail %d", (int)ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(log.has(line));
  EXPECT_TRUE(log.hasPrefix("CurrentUser: opening \""));
  EXPECT_TRUE(log.hasPrefix("CurrentUser: located tray icon window ("));
  EXPECT_TRUE(log.has("CurrentUser: obtained user token"));
  EXPECT_TRUE(token.safe());
  ASSERT_FALSE(token.isNone());
  EXPECT_FALSE(os::Sid::tokenUser(token.token()).isNone());
}

TEST_F(CurrentUser, LegacySystemTakesTheNamedUser) {
  session.legacy = true;
  UserToken token = os::getUserToken();
  EXPECT_TRUE(log.has("CurrentUser: legacy shellIconClass"));
  EXPECT_TRUE(token.safe());
  EXPECT_EQ(INVALID_HANDLE_VALUE, token.token());
  EXPECT_EQ(0, session.queries);
}
