#include "ledrow/app/win/GetPasswdDlg.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/app/win/SecretText.h"
#include "ledrow/data/ProtectedString.h"
#include "ledrow/passwords/Parameters.h"
#include "os/win/CentreWindow.h"

namespace addrbook {

// Long enough for the longest prompt the book shows.
enum { PromptLines = 6 };

GetPasswdDlg::GetPasswdDlg(const char* prompt, const char* verifier)
    : Dialog(IDD_GET_PASSWORD), prompt_(prompt), verifier_(verifier),
      promptText_(PromptLines) {}

bool GetPasswdDlg::onInitDialog() {
  promptText_.wrap(getDlgItem(IDC_PASSWORD_PROMPT));
  passwordEdit_.wrap(getDlgItem(IDC_PASSWORD));
  promptText_.measureLine();
  os::centreWindow(getHandle(), GetWindow(getHandle(), GW_OWNER));
  return false;
}

void GetPasswdDlg::onShow() {
  promptText_.setText(prompt_.c_str());
  int grow = promptText_.adjustHeight();
  if (grow == 0)
    return;
  RECT r;
  GetWindowRect(getHandle(), &r);
  SetWindowPos(getHandle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top + grow,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (int id : {IDC_PASSWORD, IDOK, IDCANCEL})
    moveChild(getDlgItem(id), 0, grow, 0, 0);
}

bool GetPasswdDlg::validate() {
  plat::String verifier = verifier_.isNull() ? masterPassword.getValueStr() : verifier_;
  ZeroingBuffer typed = secretText(passwordEdit_.getHandle());
  bool accepted = decryptString(verifier.c_str(), typed.c_str()).c_str() != nullptr;
  if (accepted)
    password_ = std::move(typed);
  SetWindowTextW(passwordEdit_.getHandle(), L"");
  if (!accepted) {
    promptText_.setText("Incorrect password.");
    passwordEdit_.setFocus();
  }
  return accepted;
}

} // namespace addrbook
