// The master-password cache's prompts as the address book's dialogs, and
// its settings as values of the settings key.
#pragma once

#include "ledrow/app/win/GetPasswdDlg.h"
#include "ledrow/passwords/PasswordStore.h"

namespace addrbook {

class PasswordPrompts : public PasswordStore::Prompts, public PasswordStore::SettingsWriter {
public:
  ZeroingBuffer chooseMasterPassword(void* parent) override;
  ZeroingBuffer enterMasterPassword(void* parent, const char* verifier) override;
  void writeString(const char* name, const char* value) override;

  // The prompt whose text a caller may change for a while.
  GetPasswdDlg& prompt() { return prompt_; }

private:
  GetPasswdDlg prompt_;
};

} // namespace addrbook
