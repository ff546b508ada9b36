#include "os/win/ImpersonateCurrentUser.h"
#include "plat/Exception.h"

namespace os {

ImpersonateCurrentUser::ImpersonateCurrentUser() : token_(getUserToken()) {
  // The process caches its HKEY_CURRENT_USER handle; closing it makes the
  // next use open the hive of whoever the thread then runs as.
  RegCloseKey(HKEY_CURRENT_USER);
  if (!UserSession::current().isSystem())
    return;
  if (!token_.safe() || token_.isNone())
    throw plat::Exception("Cannot impersonate unsafe or null token");
  if (!ImpersonateLoggedOnUser(token_.token())) {
    DWORD err = GetLastError();
    if (err != ERROR_CALL_NOT_IMPLEMENTED)
      throw plat::SystemException("Failed to impersonate user", (int)err);
  }
}

ImpersonateCurrentUser::~ImpersonateCurrentUser() {
  if (!RevertToSelf()) {
    DWORD err = GetLastError();
    // Going on under the wrong identity is worse than stopping.
    if (err != ERROR_CALL_NOT_IMPLEMENTED)
      ExitProcess(err);
  }
  RegCloseKey(HKEY_CURRENT_USER);
}

} // namespace os
