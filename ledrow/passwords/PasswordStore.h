// The master-password cache with its prompts: asks for the master password
// when none is held, and on first use has the user choose one and records
// its verifier in MasterPassword and the settings key.
#pragma once

#include "ledrow/passwords/PasswdStoreBase.h"

namespace addrbook {

class PasswordStore : public PasswdStoreBase {
public:
  // The dialogs, modal over parent (a window of the caller's).
  class Prompts {
  public:
    virtual ~Prompts() {}
    // Choosing the first master password: the password, or a null buffer
    // when cancelled.
    virtual ZeroingBuffer chooseMasterPassword(void* parent) = 0;
    // The master-password prompt, which accepts only a password that opens
    // the verifier: the password, or a null buffer when cancelled.
    virtual ZeroingBuffer enterMasterPassword(void* parent, const char* verifier) = 0;
  };

  // Where settings are kept (the address book's settings key).
  class SettingsWriter {
  public:
    virtual ~SettingsWriter() {}
    // Throws plat::SystemException when the value cannot be written.
    virtual void writeString(const char* name, const char* value) = 0;
  };

  PasswordStore(Prompts* prompts, SettingsWriter* settings)
      : prompts_(prompts), settings_(settings) {}

  // Prompts and stores: false when the user cancelled.
  bool askPassword(void* parent);
  // The held password, asking for it when none is held; null when
  // cancelled.
  ZeroingBuffer getPassword(void* parent);
  // Holds password from now on in place of any held before: the master
  // password was changed and its verifier recorded.
  void hold(const char* password);

private:
  Prompts* prompts_;
  SettingsWriter* settings_;
};

} // namespace addrbook
