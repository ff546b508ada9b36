// The size grip in the bottom-right corner of a resizable dialog: a size
// box scroll bar whose window is only its lower-right triangle, so that it
// covers nothing beside the corner.
#pragma once

#include "ui/win/Window.h"

namespace ui {

class ResizeGrip : public Window {
public:
  explicit ResizeGrip(HINSTANCE instance = nullptr) : Window(instance), parent_(nullptr) {}

  // Throws plat::SystemException "CreateWindowEx".
  void create(HWND parent);
  // Hidden while the parent is maximised; otherwise in its corner.
  void reposition();

private:
  HWND parent_;
};

} // namespace ui
