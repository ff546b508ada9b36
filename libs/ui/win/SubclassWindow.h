// Watches the messages of windows the program does not own (static
// controls showing mark-up, controls under an overlay) by replacing their
// window procedure with one shared procedure that hands each message to a
// callback. A window is subclassed by at most one object at a time. Used
// on the thread that owns the windows.
#pragma once

#include <windows.h>

#include <set>

namespace ui {

class SubclassWindow {
public:
  class SubclassProcCallback {
  public:
    virtual ~SubclassProcCallback() {}
    // Messages not consumed go on through SubclassWindow::callOriginalProc.
    virtual LRESULT subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  };

  explicit SubclassWindow(SubclassProcCallback* callback);
  SubclassWindow(const SubclassWindow&) = delete;
  SubclassWindow& operator=(const SubclassWindow&) = delete;
  // Unsubclasses every window still held.
  ~SubclassWindow();

  // Nothing happens when some object already subclasses the window.
  void subclass(HWND hwnd);
  // The window must be subclassed by this object. The saved procedure is
  // put back only while ours is the window's procedure: a layer subclassed
  // on top later (a tooltip's) keeps working, and ours stays beneath it,
  // passing messages on, until the window is gone.
  void unsubclass(HWND hwnd);

  static SubclassWindow* subclassedBy(HWND hwnd);
  // The saved procedure, or DefWindowProcW when none is recorded.
  static LRESULT callOriginalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
  static LRESULT CALLBACK sharedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  SubclassProcCallback* callback_;
  std::set<HWND> windows_;
};

} // namespace ui
