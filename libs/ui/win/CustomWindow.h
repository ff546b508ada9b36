// A window of a class the program registers (ui::WindowClass), whose
// messages go to handleMessage: to a callback object when there is one,
// otherwise to IsSafeWM. WM_CREATE and WM_DESTROY are kept by the class's
// shared procedure, which ties the window to its object.
#pragma once

#include "ui/win/Window.h"

namespace plat {
class LogWriter;
}

namespace ui {

class CustomWindow : public Window {
public:
  class WndProcCallback {
  public:
    virtual ~WndProcCallback() {}
    virtual LRESULT handle(CustomWindow* window, HWND hwnd, UINT message, WPARAM wParam,
                           LPARAM lParam) = 0;
  };

  explicit CustomWindow(HINSTANCE instance = nullptr, WndProcCallback* callback = nullptr);
  ~CustomWindow() override;

  virtual LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // The procedure of every class registered through ui::WindowClass. An
  // exception escaping handleMessage answers 0 (ui/win/HandlerFailure.h).
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
  WndProcCallback* callback_;
};

// "CustomWindow": what the shared procedure reports.
extern plat::LogWriter customWindowLog;

} // namespace ui
