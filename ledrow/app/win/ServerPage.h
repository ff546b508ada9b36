// The first page of an entry's properties: the server's address, the
// encryption level, and the user name and password kept in the entry, with
// the choice to protect the password with the master password. The page
// writes into the working copy only when the sheet's OK applies it.
#pragma once

#include "ledrow/data/EncryptedConfig.h"
#include "ui/win/Checkbox.h"
#include "ui/win/ComboBox.h"
#include "ui/win/ConfigDialog.h"
#include "ui/win/EditBox.h"

namespace addrbook {

class ServerPage : public ui::ConfigDialog {
public:
  // The combo box's texts, in the order of the Encryption option's names.
  static const char* const encryptionTexts[];

  // wasProtected: the entry held its password under the master password,
  // so protection starts checked whatever EncryptPassword says. entryName:
  // what a refusal calls the entry; null for a new one, named after its
  // server.
  ServerPage(EncryptedConfig* working, bool wasProtected, const char* entryName);

  // Whether the last apply asked for the password to be protected. An apply
  // that asks for it on an entry that could not be signed as it stands
  // says why and keeps the sheet open, edits and all.
  bool protectionAsked() const { return protect_; }

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  bool validate() override;
  bool apply() override;

private:
  void enableFields();
  // True when the working copy can be signed; otherwise says why.
  bool canSign();

  EncryptedConfig* working_;
  bool wasProtected_;
  plat::String entryName_;
  bool protect_;
  ui::EditBox host_;
  ui::ComboBox encryption_;
  ui::Checkbox useUserName_;
  ui::EditBox userName_;
  ui::Checkbox usePassword_;
  ui::EditBox password_;
  ui::EditBox confirm_;
  ui::Checkbox protectPassword_;
};

} // namespace addrbook
