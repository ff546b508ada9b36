// A check box (or radio button) as a ui::CheckboxWidget that a policy can
// lock.
#pragma once

#include "ui/win/PolicyWindow.h"

namespace ui {

class Checkbox : public PolicyWindow, public CheckboxWidget {
public:
  explicit Checkbox(HINSTANCE instance = nullptr) : PolicyWindow(instance) {}

  void setLocked(bool locked) override { PolicyWindow::setLocked(locked); }
  State getState() override;
  void setState(int state) override;
  // Swaps the button type between BS_AUTO3STATE and BS_AUTOCHECKBOX.
  void setTriState(bool on) override;
};

} // namespace ui
