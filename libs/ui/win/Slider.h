// A trackbar as a ui::SliderWidget that a policy can lock.
#pragma once

#include "ui/win/PolicyWindow.h"

namespace ui {

class Slider : public PolicyWindow, public SliderWidget {
public:
  explicit Slider(HINSTANCE instance = nullptr) : PolicyWindow(instance) {}

  void setLocked(bool locked) override { PolicyWindow::setLocked(locked); }
  void setRange(int max) override;
  void setPos(int pos) override;
  int getPos() override;
};

} // namespace ui
