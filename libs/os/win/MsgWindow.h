// A hidden window that receives messages for an object of the program
// ("Torvane.Ostrel.<name>"). Subclasses handle what they need in
// processMessage and pass the rest on.
#pragma once

#include "os/win/MsgWindowClass.h"

namespace os {

class MsgWindow : public MsgWindowOwner {
public:
  // Throws plat::SystemException "unable to create WMNotifier window
  // instance".
  explicit MsgWindow(const char* name);
  ~MsgWindow() override;

  // The default handling: IsSafeWM.
  LRESULT processMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  HWND getHandle() const { return handle_; }

private:
  HWND handle_;
};

} // namespace os
