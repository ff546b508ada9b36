// Acts for the interactive user while the object lives, so that files are
// opened with the user's rights and HKEY_CURRENT_USER is the user's hive.
// Only a process running as SYSTEM changes identity; the object must end on
// the thread that made it.
#pragma once

#include "os/win/CurrentUser.h"

namespace os {

class ImpersonateCurrentUser {
public:
  ImpersonateCurrentUser();
  ImpersonateCurrentUser(const ImpersonateCurrentUser&) = delete;
  ImpersonateCurrentUser& operator=(const ImpersonateCurrentUser&) = delete;
  ~ImpersonateCurrentUser();

private:
  UserToken token_;
};

} // namespace os
