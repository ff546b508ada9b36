// The base of every dialog box and property page: a dialog made from a
// resource template whose messages are dispatched to virtual operations.
// Modeless dialogs of a thread are listed per thread; that thread's message
// loop offers each message to them through isDialogMessage. A dialog is
// created, ended and destroyed on one thread.
#pragma once

#include "ui/win/ResourceId.h"
#include "ui/win/Window.h"

#include <commctrl.h>

namespace plat {
class LogWriter;
}

namespace ui {

class Tooltip;

class Dialog : public Window {
public:
  // Told whether a page holds changes; a property sheet sets itself as
  // every page's callback.
  class ChangedCallback {
  public:
    virtual ~ChangedCallback() {}
    virtual void changed(Dialog* page, bool changed) = 0;
  };

  // Icons that are given are loaded with LoadIconW from instance (null:
  // the program's module).
  explicit Dialog(ResourceId dialogTemplate, HINSTANCE instance = nullptr,
                  ResourceId bigIcon = ResourceId(), ResourceId smallIcon = ResourceId());
  ~Dialog() override;

  virtual bool isChanged() { return false; }
  // True when it set the focus itself.
  virtual bool onInitDialog() { return false; }
  // Commands other than OK and Cancel; true when handled.
  virtual bool onCommand(int id, int code) { return false; }
  // Notifications other than PSN_APPLY and PSN_KILLACTIVE; true when
  // handled, with *result as the answer.
  virtual bool onNotify(NMHDR* header, LRESULT* result) { return false; }
  virtual bool validate() { return true; }
  virtual bool apply() { return true; }
  // False keeps the dialog open.
  virtual bool onCancel() { return true; }
  virtual void onShow() {}
  // The base dispatch that subclasses extend and call.
  virtual INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  virtual void bringToFront();

  // Creates the window unless there is one, and lists it as modeless on
  // this thread. Throws plat::SystemException "CreateDialogParam".
  void createModeless(HWND parent);
  // createModeless when needed, then bringToFront.
  bool show(HWND parent);
  // False when there is no window; otherwise unlisted, ended, destroyed.
  bool end(bool result);

  // A modal dialog box: true when it ended with OK. A dialog already open
  // is only raised to the top (false). Throws plat::SystemException
  // "DialogBoxParam".
  bool runModal(HWND parent);

  // A tip on the dialog's control; the dialog's tooltip window is made at
  // the first call and goes with the dialog's window.
  void setToolTip(int controlId, const char* text, int maxWidth);
  Tooltip* tooltip() const { return tooltip_; }

  // Offers msg to this thread's modeless dialogs, newest first.
  static bool isDialogMessage(MSG* msg);

  // The procedure of every dialog; the object comes in WM_INITDIALOG's
  // lParam. A plat::Exception escaping handleMessage is logged and
  // answers 0.
  static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  const ResourceId& dialogTemplate() const { return template_; }
  ChangedCallback* changedCallback() const { return changedCallback_; }
  void setChangedCallback(ChangedCallback* callback) { changedCallback_ = callback; }

protected:
  ResourceId template_;
  HICON smallIcon_;
  HICON bigIcon_;
  // Owned; null until setToolTip, and again once the window is gone.
  Tooltip* tooltip_;
  ChangedCallback* changedCallback_;
};

// "Dialog": what the shared procedure reports.
extern plat::LogWriter dialogLog;

} // namespace ui
