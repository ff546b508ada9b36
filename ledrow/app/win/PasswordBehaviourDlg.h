// The question what to do with the password of a connection the viewer
// sent: drop it, keep it, or protect it with the master password; and
// whether to ask again next time.
#pragma once

#include "plat/String.h"
#include "ui/win/Dialog.h"

namespace addrbook {

class PasswordBehaviourDlg : public ui::Dialog {
public:
  // The EncryptPassword values.
  enum Choice { DontSave = 0, Save = 1, Encrypt = 2, Ask = 3 };

  PasswordBehaviourDlg();

  // The entry the question is about.
  void setEntryName(const char* name) { name_ = name; }
  // What the last OK chose.
  Choice choice() const { return choice_; }

  bool onInitDialog() override;
  bool apply() override;

private:
  plat::String name_;
  Choice choice_;
};

} // namespace addrbook
