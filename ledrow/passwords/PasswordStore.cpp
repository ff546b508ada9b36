#include "ledrow/passwords/PasswordStore.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/passwords/Parameters.h"

namespace addrbook {

bool PasswordStore::askPassword(void* parent) {
  plat::String verifier = masterPassword.getValueStr();
  ZeroingBuffer password;
  if (verifier.length() == 0) {
    password = prompts_->chooseMasterPassword(parent);
    if (password.c_str()) {
      plat::String chosen = encryptString(password.c_str(), password.c_str());
      masterPassword.setParam(chosen.c_str(), plat::PriorityUser);
      settings_->writeString(masterPassword.getName(), chosen.c_str());
    }
  } else {
    password = prompts_->enterMasterPassword(parent, verifier.c_str());
  }
  if (!password.c_str())
    return false;
  store(password.c_str());
  return true;
}

ZeroingBuffer PasswordStore::getPassword(void* parent) {
  if (hasPassword() || askPassword(parent))
    return heldPassword();
  return ZeroingBuffer();
}

void PasswordStore::hold(const char* password) {
  forget();
  store(password);
}

} // namespace addrbook
