#include "os/win/CurrentUser.h"
#include "os/win/OSVersionInfo.h"
#include "os/win/Sid.h"
#include "plat/LogWriter.h"
#include "plat/win/DynamicFn.h"
#include "plat/win/Handle.h"
#include "plat/win/Unicode.h"

#include <cwchar>

namespace os {

static plat::LogWriter vlog("CurrentUser");

void UserToken::set(HANDLE token) {
  if (token_ && token_ != INVALID_HANDLE_VALUE && token_ != token)
    CloseHandle(token_);
  token_ = token;
}

bool isSystem() {
  static const bool system = [] {
    if (!osVersion().isNT())
      return false;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), MAXIMUM_ALLOWED, &token))
      throw plat::SystemException("OpenProcessToken", (int)GetLastError());
    plat::Handle owned(token);
    return Sid::tokenUser(token) == Sid::SYSTEM();
  }();
  return system;
}

bool UserSession::isSystem() { return os::isSystem(); }

bool UserSession::is9x() { return osVersion().is9x(); }

bool UserSession::queryUserToken(HANDLE* token, DWORD* error) {
  typedef BOOL(WINAPI * QueryUserTokenFn)(ULONG, PHANDLE);
  static plat::DynamicFnT<QueryUserTokenFn> queryUserToken("wtsapi32", "WTSQueryUserToken");
  if (!queryUserToken.isValid()) {
    *error = ERROR_PROC_NOT_FOUND;
    return false;
  }
  if (queryUserToken.get()((ULONG)-1, token))
    return true;
  *error = GetLastError();
  return false;
}

static UserSession systemSession;
static UserSession* session = &systemSession;

UserSession& UserSession::current() { return *session; }

void UserSession::replace(UserSession* replacement) {
  session = replacement ? replacement : &systemSession;
}

UserName::UserName() {
  wchar_t name[257];
  DWORD length = 257;
  if (!GetUserNameW(name, &length))
    throw plat::SystemException("GetUserName failed", (int)GetLastError());
  name_.replaceBuf(plat::W2MB(name));
}

namespace {

struct TraySearch {
  UserToken* record;
  const wchar_t* desktop;
};

BOOL CALLBACK checkWindow(HWND window, LPARAM param) {
  TraySearch* search = reinterpret_cast<TraySearch*>(param);
  wchar_t className[16];
  if (!GetClassNameW(window, className, 16) || wcscmp(className, L"Shell_TrayWnd") != 0)
    return TRUE;
  vlog.write(100, "located tray icon window (%ls)", search->desktop);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  plat::Handle process(OpenProcess(MAXIMUM_ALLOWED, FALSE, processId));
  HANDLE token = nullptr;
  if (!process.get() || !OpenProcessToken(process, MAXIMUM_ALLOWED, &token))
    return TRUE;
  search->record->set(token);
  vlog.write(100, "obtained user token");
  return FALSE;
}

BOOL CALLBACK searchDesktop(LPWSTR name, LPARAM param) {
  TraySearch* search = reinterpret_cast<TraySearch*>(param);
  vlog.write(100, "opening \"%ls\"", name);
  HDESK desktop = OpenDesktopW(name, 0, FALSE, DESKTOP_ENUMERATE);
  if (!desktop) {
    vlog.write(30, "desktop \"%ls\" inaccessible", name);
    return TRUE;
  }
  search->desktop = name;
  EnumDesktopWindows(desktop, checkWindow, param);
  if (!CloseDesktop(desktop))
    vlog.write(30, "unable to close desktop: %ld", (long)GetLastError());
  return search->record->isNone();
}

} // namespace

UserToken getUserToken() {
  UserSession& session = UserSession::current();
  UserToken record;
  if (!session.isSystem()) {
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), GENERIC_ALL, &token)) {
      record.set(token);
    } else {
      DWORD err = GetLastError();
      if (err != ERROR_CALL_NOT_IMPLEMENTED)
        throw plat::SystemException("OpenProcessToken failed", (int)err);
      record.set(INVALID_HANDLE_VALUE);
    }
    record.setSafe(true);
    return record;
  }
  if (session.is9x()) {
    vlog.write(100, "legacy shellIconClass");
    try {
      UserName name;
      record.set(INVALID_HANDLE_VALUE);
    } catch (const plat::SystemException& e) {
      if (e.err != ERROR_NOT_LOGGED_ON)
        throw;
      if (FindWindowW(L"Shell_TrayWnd", nullptr))
        record.set(INVALID_HANDLE_VALUE);
    }
    record.setSafe(!record.isNone());
    return record;
  }
  HANDLE token = nullptr;
  DWORD err = 0;
  if (session.queryUserToken(&token, &err) || err == ERROR_NO_TOKEN) {
    vlog.write(100, "WTSQueryUserToken OK");
    if (!err)
      record.set(token);
    record.setSafe(true);
    return record;
  }
  vlog.write(100, "WTSQueryUserToken fail %d", (int)err);
  TraySearch search = {&record, L""};
  EnumDesktopsW(GetProcessWindowStation(), searchDesktop, (LPARAM)&search);
  record.setSafe(!record.isNone());
  return record;
}

} // namespace os
