// Who the process runs as, and the token of the user logged on at the
// console. A program serving a remote-desktop service may run as SYSTEM,
// while the files a user picks must be opened with that user's rights.
#pragma once

#include "plat/String.h"

#include <windows.h>

namespace os {

// The interactive user's token (or none), and whether it may be used.
class UserToken {
public:
  UserToken() : token_(nullptr), safe_(false) {}
  UserToken(UserToken&& other) noexcept : token_(other.token_), safe_(other.safe_) {
    other.token_ = nullptr;
  }
  UserToken(const UserToken&) = delete;
  UserToken& operator=(const UserToken&) = delete;
  ~UserToken() { set(nullptr); }

  // INVALID_HANDLE_VALUE stands for a user who is there without a usable
  // token.
  HANDLE token() const { return token_; }
  bool safe() const { return safe_; }
  bool isNone() const { return token_ == nullptr; }

  void set(HANDLE token);
  void setSafe(bool safe) { safe_ = safe; }

private:
  HANDLE token_;
  bool safe_;
};

// The facts and the system call that decide how the user's token is found.
// The default asks the system; a test puts its own in place, since a test
// process never runs as SYSTEM.
class UserSession {
public:
  virtual ~UserSession() {}
  virtual bool isSystem();
  virtual bool is9x();
  // WTSQueryUserToken for the current session. False with the error when it
  // fails; a system without the function gives ERROR_PROC_NOT_FOUND.
  virtual bool queryUserToken(HANDLE* token, DWORD* error);

  static UserSession& current();
  // Null puts the system's answers back.
  static void replace(UserSession* session);
};

// Whether the process runs as the local system account; asked once.
bool isSystem();

// The token to act for the interactive user with: the process's own unless
// it runs as SYSTEM, else the logged-on user's, found through the terminal
// services or through the process owning a desktop's taskbar.
UserToken getUserToken();

// The name of the user the calling thread runs as.
class UserName {
public:
  UserName();
  const char* str() const { return name_.c_str(); }

private:
  plat::String name_;
};

} // namespace os
