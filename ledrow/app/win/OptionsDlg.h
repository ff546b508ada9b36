// The program's own settings: how long the master password is kept, what
// happens to the passwords of connections the viewer sends, the
// notification-area icon, starting with Windows, and changing the master
// password ("Change...").
#pragma once

#include "ledrow/app/ExpiryUnits.h"
#include "ui/win/Dialog.h"

namespace addrbook {

class MainDialog;

class OptionsDlg : public ui::Dialog {
public:
  // The book whose protected entries move to a new master password.
  explicit OptionsDlg(MainDialog* book);

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  bool onNotify(NMHDR* header, LRESULT* result) override;
  bool apply() override;

private:
  void enableExpiry();
  ExpiryCount shownExpiry();
  void showExpiry(ExpiryCount expiry);
  void showChangeText();
  void changeMasterPassword();

  MainDialog* book_;
};

} // namespace addrbook
