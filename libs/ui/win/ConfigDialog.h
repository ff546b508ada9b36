// The base of every dialog page that edits configuration parameters (every
// viewer-options page). It owns a ui::ConfigSync on the working
// configuration at priority 50:
//
//   onInitDialog (subclass)  attach controls, bind them (sync().bind...)
//   onShow                   sync(false): the parameters into the widgets
//   onCommand                clicks, selections and edits: sync(true), then
//                            the page tells its sheet whether it holds changes
//   validate                 a value a parameter refused is reported, the
//                            value in force shown again, and the page kept
//   apply                    working values into the saved copy, if any
//
// A subclass handles its own commands first and then calls
// ConfigDialog::onCommand; one that overrides onShow or validate calls the
// base's first. Dependent controls are enabled through
// PolicyWindow::setEnabled, so a control a policy locks stays locked.
// Bindings go with the page's window: a page made again binds afresh.
#pragma once

#include "ui/ConfigSync.h"
#include "ui/win/Dialog.h"

namespace os {
class RegKey;
}

namespace plat {
class Configuration;
}

namespace ui {

class ConfigDialog : public Dialog {
public:
  // saved may be null (isChanged is then true for any parameter).
  ConfigDialog(plat::Configuration* working, ResourceId dialogTemplate,
               plat::Configuration* saved = nullptr, HINSTANCE instance = nullptr,
               ResourceId bigIcon = ResourceId());

  bool isChanged() override { return compare(nullptr); }
  bool onCommand(int id, int code) override;
  bool validate() override;
  bool apply() override;
  void onShow() override;
  INT_PTR handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Writes every changed parameter to key as a string value named after
  // it; true when any was.
  virtual bool saveChanges(os::RegKey* key);

  // Tells the page's changed-callback (its sheet) whether it holds changes.
  void notifyChanged();

  ConfigSync& sync() { return sync_; }
  plat::Configuration* working() const { return working_; }
  int priority() const { return priority_; }

protected:
  bool compare(os::RegKey* key);

  ConfigSync sync_;
  plat::Configuration* working_;
  plat::Configuration* saved_;
  int priority_;
};

} // namespace ui
