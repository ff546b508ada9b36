// Choosing the master password: typed twice, and taken only when both
// agree.
#pragma once

#include "ledrow/data/ZeroingBuffer.h"
#include "ui/win/Dialog.h"

#include <utility>

namespace addrbook {

class SetPasswdDlg : public ui::Dialog {
public:
  SetPasswdDlg();

  // The password of the last OK; empty afterwards.
  ZeroingBuffer takePassword() { return std::move(password_); }

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  bool validate() override;

private:
  ZeroingBuffer password_;
};

} // namespace addrbook
