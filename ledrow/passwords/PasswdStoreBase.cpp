#include "ledrow/passwords/PasswdStoreBase.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "ledrow/passwords/Parameters.h"
#include "plat/CurrentTime.h"

namespace addrbook {

enum : int64_t { TimeUnitsPerSecond = 10000000 };

PasswdStoreBase::PasswdStoreBase() : plat::Timer(this), storedAt_(0), callback_(nullptr) {}

PasswdStoreBase::~PasswdStoreBase() {
  stop();
  password_.clear();
}

void PasswdStoreBase::forget() {
  stop();
  password_.clear();
  if (callback_)
    callback_->passwordChanged(true);
}

bool PasswdStoreBase::hasPassword() {
  if (password_.empty())
    return false;
  checkExpiry();
  return !password_.empty();
}

bool PasswdStoreBase::checkExpiry() {
  int64_t elapsed = (plat::currentTime() - storedAt_) / TimeUnitsPerSecond;
  if (passwordExpiry >= elapsed && rememberPassword)
    return true;
  forget();
  return false;
}

void PasswdStoreBase::store(const char* password) {
  obfuscatePassword(&password_, password);
  storedAt_ = plat::currentTime();
  if (rememberPassword) {
    if (callback_)
      callback_->passwordChanged(false);
    start(ExpiryCheckMs);
  }
}

ZeroingBuffer PasswdStoreBase::heldPassword() const { return deobfuscatePassword(password_); }

} // namespace addrbook
