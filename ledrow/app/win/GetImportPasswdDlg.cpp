#include "ledrow/app/win/GetImportPasswdDlg.h"

namespace addrbook {

GetImportPasswdDlg::GetImportPasswdDlg(const char* verifier)
    : GetPasswdDlg("The file you are importing is protected by a password. Please enter the "
                   "password to continue (note that this is not necessarily the same as your "
                   "Master Password).",
                   verifier) {}

bool GetImportPasswdDlg::onInitDialog() {
  SetWindowTextW(getHandle(), L"Enter Import Password");
  return GetPasswdDlg::onInitDialog();
}

} // namespace addrbook
