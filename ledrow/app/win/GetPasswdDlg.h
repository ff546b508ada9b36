// The prompt for the master password: only a password that opens the
// verifier (a protected string made from the password itself) is taken.
#pragma once

#include "ledrow/data/ZeroingBuffer.h"
#include "plat/String.h"
#include "ui/win/Dialog.h"
#include "ui/win/EditBox.h"

#include <utility>

namespace addrbook {

class GetPasswdDlg : public ui::Dialog {
public:
  // verifier null: the MasterPassword setting at the time of the prompt.
  explicit GetPasswdDlg(const char* prompt = "Please enter the Master Password to continue.",
                        const char* verifier = nullptr);

  void setPrompt(const char* prompt) { prompt_ = prompt; }
  const char* prompt() const { return prompt_.c_str(); }
  void setVerifier(const char* verifier) { verifier_ = verifier; }

  // The password typed and accepted by the last OK; empty afterwards.
  ZeroingBuffer takePassword() { return std::move(password_); }

  bool onInitDialog() override;
  void onShow() override;
  bool validate() override;

private:
  plat::String prompt_;
  plat::String verifier_;
  ui::AutoExpandEditBox promptText_;
  ui::EditBox passwordEdit_;
  ZeroingBuffer password_;
};

} // namespace addrbook
