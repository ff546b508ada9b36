#include "ledrow/app/win/SetPasswdDlg.h"
#include "ledrow/app/win/Resources.h"
#include "ledrow/app/win/SecretText.h"
#include "os/win/CentreWindow.h"
#include "ui/win/MsgBox.h"

#include <cstring>

namespace addrbook {

SetPasswdDlg::SetPasswdDlg() : Dialog(IDD_SET_PASSWORD) {}

bool SetPasswdDlg::onInitDialog() {
  SetDlgItemTextW(getHandle(), IDC_SET_EXPLANATION,
                  L"Enter a Master Password for your Kiv Address Book entries. This is used to "
                  L"protect the Kiv Server password stored in each entry against unauthorised "
                  L"access.");
  EnableWindow(getDlgItem(IDOK), FALSE);
  os::centreWindow(getHandle(), GetParent(getHandle()));
  return false;
}

bool SetPasswdDlg::onCommand(int id, int code) {
  if ((id != IDC_NEW_PASSWORD && id != IDC_CONFIRM_PASSWORD) || code != EN_CHANGE)
    return false;
  bool both = GetWindowTextLengthW(getDlgItem(IDC_NEW_PASSWORD)) > 0 &&
              GetWindowTextLengthW(getDlgItem(IDC_CONFIRM_PASSWORD)) > 0;
  EnableWindow(getDlgItem(IDOK), both);
  return true;
}

bool SetPasswdDlg::validate() {
  ZeroingBuffer first = secretText(getDlgItem(IDC_NEW_PASSWORD));
  ZeroingBuffer second = secretText(getDlgItem(IDC_CONFIRM_PASSWORD));
  if (strcmp(first.c_str(), second.c_str()) != 0) {
    ui::MsgBox(getHandle(), "Passwords do not match", MB_OK | MB_ICONERROR);
    return false;
  }
  password_ = std::move(first);
  return true;
}

} // namespace addrbook
