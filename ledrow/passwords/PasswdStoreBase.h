// The master-password cache: the password, held obfuscated, for at most
// PasswordExpiry seconds and only while RememberPassword is on. A timer
// looks once a minute; every query looks too, so an expired password is
// never handed out between ticks.
#pragma once

#include "ledrow/data/ZeroingBuffer.h"
#include "ledrow/data/ZeroingBytes.h"
#include "plat/Timer.h"

#include <cstdint>

namespace addrbook {

class PasswdStoreBase : public plat::Timer, public plat::Timer::Callback {
public:
  // Told whether a master password is held, for the main window's display.
  class PWSCallback {
  public:
    virtual ~PWSCallback() {}
    // false: a password was stored and will be remembered; true: it was
    // forgotten or expired.
    virtual void passwordChanged(bool forgotten) = 0;
  };

  enum { ExpiryCheckMs = 60000 };

  PasswdStoreBase();
  // Wipes the password and stops the timer.
  ~PasswdStoreBase() override;

  void setCallback(PWSCallback* callback) { callback_ = callback; }

  void forget();
  // Applies the expiry rule first.
  bool hasPassword();
  // Applies the expiry rule: true while the password is kept.
  bool checkExpiry();

  bool handleTimeout(plat::Timer* timer) override { return checkExpiry(); }

protected:
  // Holds password from now on; when it is to be remembered, tells the
  // listener and starts the expiry timer. Needs the thread's TimerManager.
  void store(const char* password);
  // The plain text of the held password.
  ZeroingBuffer heldPassword() const;

private:
  ZeroingBytes password_;
  int64_t storedAt_; // plat::currentTime() units
  PWSCallback* callback_;
};

} // namespace addrbook
