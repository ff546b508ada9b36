#include "ledrow/app/win/ServerPage.h"
#include "ledrow/app/NewEntryName.h"
#include "ledrow/app/Parameters.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/app/win/SecretText.h"
#include "ledrow/data/PasswordObfuscation.h"
#include "plat/win/Unicode.h"
#include "ui/win/MsgBox.h"

#include <cstring>

namespace addrbook {

namespace {

const int TipWidth = 300;

ui::CheckboxWidget::State checkedIf(bool on) {
  return on ? ui::CheckboxWidget::Checked : ui::CheckboxWidget::Unchecked;
}

bool isChecked(ui::Checkbox& box) { return box.getState() == ui::CheckboxWidget::Checked; }

// A password into an edit without a copy that outlives the call.
void setSecretText(HWND edit, const char* text) {
  plat::WString wide(text);
  SetWindowTextW(edit, wide.c_str());
  SecureZeroMemory((void*)wide.c_str(), wcslen(wide.c_str()) * sizeof(wchar_t));
}

} // namespace

const char* const ServerPage::encryptionTexts[] = {"Let Kiv Server choose", "Always maximum",
                                                   "Always on", "Prefer on", "Prefer off"};

ServerPage::ServerPage(EncryptedConfig* working, bool wasProtected, const char* entryName)
    : ui::ConfigDialog(working, IDD_SERVER_PAGE), working_(working), wasProtected_(wasProtected),
      entryName_(entryName), protect_(false) {}

bool ServerPage::onInitDialog() {
  host_.wrap(getDlgItem(IDC_HOST));
  encryption_.wrap(getDlgItem(IDC_ENCRYPTION_LEVEL));
  useUserName_.wrap(getDlgItem(IDC_USE_USER_NAME));
  userName_.wrap(getDlgItem(IDC_USER_NAME));
  usePassword_.wrap(getDlgItem(IDC_USE_PASSWORD));
  password_.wrap(getDlgItem(IDC_ENTRY_PASSWORD));
  confirm_.wrap(getDlgItem(IDC_ENTRY_CONFIRM));
  protectPassword_.wrap(getDlgItem(IDC_PROTECT_PASSWORD));

  host_.setText(working_->getHost() ? working_->getHost() : "");
  for (const char* text : encryptionTexts)
    encryption_.addString(text);
  SendMessageW(encryption_.getHandle(), CB_SETCURSEL, working_->encryption.getValue(), 0);
  plat::String user = working_->userName.getValueStr();
  useUserName_.setState(checkedIf(user.length() > 0));
  userName_.setText(user.c_str());
  bool hasPassword = working_->getPassword().length() > 0;
  usePassword_.setState(checkedIf(hasPassword));
  if (hasPassword) {
    ZeroingBuffer plain = deobfuscatePassword(working_->getPassword());
    setSecretText(password_.getHandle(), plain.c_str());
    setSecretText(confirm_.getHandle(), plain.c_str());
  }
  // A protected entry stays protected unless the user says otherwise: OK
  // alone must never store its password in the open.
  protectPassword_.setState(
      checkedIf(wasProtected_ || encryptPassword == 2));
  enableFields();

  setToolTip(IDC_HOST,
             "Enter the name or IP address of the host system. You may also include the port or "
             "desktop number.",
             TipWidth);
  setToolTip(IDC_ENCRYPTION_LEVEL,
             "Configure encryption settings:\n  Let Kiv Server choose: Use Kiv Server's "
             "encryption preference;\n  Always maximum: Support only maximum-strength "
             "encryption;\n  Always on: Do not support unencrypted connections;\n  Prefer on: "
             "Use an encrypted connection if possible;\n  Prefer off: Use an unencrypted "
             "connection if possible.",
             TipWidth);
  setToolTip(IDC_USE_USER_NAME,
             "Check this option to include a user name for the entry. If a user name is "
             "required but not included, you will be prompted to enter one when the entry is "
             "opened.",
             TipWidth);
  setToolTip(IDC_USE_PASSWORD,
             "Check this option to include a password for the entry. If a password is required "
             "but not included, you will be prompted to enter one when the entry is opened. You "
             "will have the option of encrypting the password later.",
             TipWidth);
  setToolTip(IDC_PROTECT_PASSWORD,
             "Check this option to protect your password. Protected passwords need a master "
             "password to be set.",
             TipWidth);
  return false;
}

void ServerPage::enableFields() {
  userName_.setEnabled(isChecked(useUserName_));
  bool password = isChecked(usePassword_);
  password_.setEnabled(password);
  confirm_.setEnabled(password);
  EnableWindow(getDlgItem(IDC_CONFIRM_LABEL), password);
  protectPassword_.setEnabled(password);
}

bool ServerPage::onCommand(int id, int code) {
  if ((id == IDC_USE_USER_NAME || id == IDC_USE_PASSWORD) && code == BN_CLICKED) {
    enableFields();
    return true;
  }
  return ui::ConfigDialog::onCommand(id, code);
}

bool ServerPage::validate() {
  if (!ui::ConfigDialog::validate())
    return false;
  if (!isChecked(usePassword_))
    return true;
  ZeroingBuffer first = secretText(password_.getHandle());
  ZeroingBuffer second = secretText(confirm_.getHandle());
  if (strcmp(first.c_str(), second.c_str()) == 0)
    return true;
  ui::MsgBox(getHandle(), "Passwords do not match.", MB_OK | MB_ICONERROR);
  password_.setFocus();
  return false;
}

bool ServerPage::apply() {
  working_->setHost(host_.getText());
  int level = encryption_.getCurSel();
  if (level >= 0)
    working_->encryption.setParam(working_->encryption.getNames()[level], plat::PriorityUser);
  working_->userName.setParam(isChecked(useUserName_) ? userName_.getText() : "",
                              plat::PriorityUser);
  protect_ = false;
  if (isChecked(usePassword_)) {
    ZeroingBuffer plain = secretText(password_.getHandle());
    working_->setPassword(plain.c_str());
    protect_ = isChecked(protectPassword_);
  } else {
    working_->setPassword(nullptr);
  }
  // The other pages write their edits as they are made: what OK would sign
  // is known now.
  if (protect_ && !canSign())
    return false;
  return ui::ConfigDialog::apply();
}

// Protection asked for an entry that could not be opened again once
// signed: the user hears which setting stands in the way, and nothing of
// what was typed is lost.
bool ServerPage::canSign() {
  std::string why = working_->signingRefusal();
  if (why.empty())
    return true;
  std::string name = entryName_.isNull() ? newEntryName(working_->getHost()) : entryName_.c_str();
  std::string text = "The password of \"" + name + "\" cannot be protected: " + why +
                     ". Change that setting, or leave the password unprotected.";
  ui::MsgBox(getHandle(), text.c_str(), MB_OK | MB_ICONERROR);
  return false;
}

} // namespace addrbook
