// The one viewer-options page of the basic set: the controls of
// DisplayDlgBase, scaling to the window, view-only (all six inputs off at
// once), special keys and the menu key.
#pragma once

#include "ui/win/ComboBox.h"
#include "viewerconfig/win/DisplayDlgBase.h"

namespace viewerconfig {

class BasicOptionsDlg : public DisplayDlgBase, public ui::ConfigSync::ParamSubstituteCallback {
public:
  explicit BasicOptionsDlg(addrbook::CConnOptions* options);

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  void onShow() override;
  void substitute(const char* name, const char** value, bool toParameter) override;

private:
  void enableSpecialKeys();

  ui::Checkbox scale_;
  ui::Checkbox viewOnly_;
  ui::Checkbox specialKeys_;
  ui::ComboBox menuKey_;
};

} // namespace viewerconfig
