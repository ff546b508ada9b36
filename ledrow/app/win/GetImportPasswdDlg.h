// The prompt for the password of an XML book being imported: the
// master-password prompt with its own title and text, checked against the
// book's own verifier.
#pragma once

#include "ledrow/app/win/GetPasswdDlg.h"

namespace addrbook {

class GetImportPasswdDlg : public GetPasswdDlg {
public:
  // verifier: the book's "password" attribute.
  explicit GetImportPasswdDlg(const char* verifier);

  bool onInitDialog() override;
};

} // namespace addrbook
