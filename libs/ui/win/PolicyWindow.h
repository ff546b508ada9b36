// A control that a policy can lock: it is enabled only while the program
// wants it enabled and no policy locks it.
#pragma once

#include "ui/Widget.h"
#include "ui/win/Window.h"

namespace ui {

class PolicyWindow : public Window {
public:
  explicit PolicyWindow(HINSTANCE instance = nullptr) : Window(instance) {}

  virtual void setEnabled(bool wanted);
  virtual void setLocked(bool locked);
  // Hides Window::enable: enabling a control goes through the lock, so
  // that code enabling dependent controls never undoes a policy.
  void enable(bool enabled) { setEnabled(enabled); }

  bool isLocked() const { return locked_; }

protected:
  bool locked_ = false;
  bool wanted_ = true;
};

class Button : public PolicyWindow, public Widget {
public:
  explicit Button(HINSTANCE instance = nullptr) : PolicyWindow(instance) {}
  void setLocked(bool locked) override { PolicyWindow::setLocked(locked); }
};

} // namespace ui
