// An icon drawn over a corner of another control (a lock over a control
// that a policy governs, say): a static child of the target's parent,
// placed by anchor and offsets, painting the icon itself.
#pragma once

#include "ui/OverlayPlacement.h"
#include "ui/win/SubclassWindow.h"
#include "ui/win/Window.h"

namespace ui {

class Overlay : public Window, private SubclassWindow::SubclassProcCallback {
public:
  // anchor: an OverlayAnchor. The icon is not owned.
  Overlay(HICON icon, int anchor, int dx, int dy, HINSTANCE instance = nullptr);

  // Creates the overlay beside target. Throws plat::SystemException
  // "CreateWindowEx".
  void attach(HWND target);
  void setVisible(bool visible);
  // Follows the target; also on WM_USER to the overlay.
  void reposition();

  int iconWidth() const { return iconWidth_; }
  int iconHeight() const { return iconHeight_; }

private:
  LRESULT subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  SubclassWindow subclass_;
  HICON icon_;
  int iconWidth_;
  int iconHeight_;
  int anchor_;
  int dx_;
  int dy_;
  bool visible_;
  HWND target_;
};

} // namespace ui
