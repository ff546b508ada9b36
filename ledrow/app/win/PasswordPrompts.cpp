#include "ledrow/app/win/PasswordPrompts.h"
#include "ledrow/app/win/SetPasswdDlg.h"
#include "ledrow/app/win/SettingsKey.h"

namespace addrbook {

ZeroingBuffer PasswordPrompts::chooseMasterPassword(void* parent) {
  SetPasswdDlg dialog;
  if (!dialog.runModal((HWND)parent))
    return ZeroingBuffer();
  return dialog.takePassword();
}

ZeroingBuffer PasswordPrompts::enterMasterPassword(void* parent, const char* verifier) {
  prompt_.setVerifier(verifier);
  if (!prompt_.runModal((HWND)parent))
    return ZeroingBuffer();
  return prompt_.takePassword();
}

void PasswordPrompts::writeString(const char* name, const char* value) {
  settingsKey().setString(name, value);
}

} // namespace addrbook
