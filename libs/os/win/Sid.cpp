#include "os/win/Sid.h"
#include "plat/Exception.h"

namespace os {

Sid::Sid(PSID sid) { copyFrom(sid); }

Sid::Sid(const Sid& other) { copyFrom(other.get()); }

Sid& Sid::operator=(const Sid& other) {
  if (this != &other) {
    data_.reset();
    copyFrom(other.get());
  }
  return *this;
}

void Sid::copyFrom(PSID sid) {
  if (!sid)
    return;
  if (!IsValidSid(sid))
    throw plat::Exception("bad SID");
  DWORD length = GetLengthSid(sid);
  std::unique_ptr<BYTE[]> copy(new BYTE[length]);
  if (!CopySid(length, copy.get(), sid))
    throw plat::SystemException("CopySid failed", (int)GetLastError());
  data_ = std::move(copy);
}

Sid Sid::SYSTEM() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                &sid))
    throw plat::SystemException("Sid::SYSTEM", (int)GetLastError());
  try {
    Sid copy(sid);
    FreeSid(sid);
    return copy;
  } catch (...) {
    FreeSid(sid);
    throw;
  }
}

Sid Sid::tokenUser(HANDLE token) {
  DWORD needed = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
  DWORD err = GetLastError();
  if (needed == 0) {
    if (err == ERROR_CALL_NOT_IMPLEMENTED)
      return Sid();
    throw plat::SystemException("GetTokenInformation", (int)err);
  }
  std::unique_ptr<BYTE[]> info(new BYTE[needed]);
  if (!GetTokenInformation(token, TokenUser, info.get(), needed, &needed)) {
    err = GetLastError();
    if (err == ERROR_CALL_NOT_IMPLEMENTED)
      return Sid();
    throw plat::SystemException("GetTokenInformation", (int)err);
  }
  return Sid(reinterpret_cast<TOKEN_USER*>(info.get())->User.Sid);
}

bool Sid::operator==(const Sid& other) const {
  if (isNone() || other.isNone())
    return isNone() && other.isNone();
  return EqualSid(get(), other.get()) != FALSE;
}

} // namespace os
