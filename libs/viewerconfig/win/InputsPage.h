// The inputs page: what the viewer may send and receive (keyboard with
// special keys, mouse with 3-button emulation and a rate limit, clipboard,
// files, chat), the menu key, and a preset list that sets the five inputs
// at once and shows which preset the boxes amount to.
#pragma once

#include "ui/win/Checkbox.h"
#include "ui/win/ComboBox.h"
#include "ui/win/ConfigDialog.h"

namespace addrbook {
class CConnOptions;
}

namespace viewerconfig {

class InputsPage : public ui::ConfigDialog, public ui::ConfigSync::ParamSubstituteCallback {
public:
  explicit InputsPage(addrbook::CConnOptions* options);

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  void onShow() override;
  void substitute(const char* name, const char** value, bool toParameter) override;

private:
  void enableDependents();
  void showPreset();
  void choosePreset();

  addrbook::CConnOptions* options_;
  ui::Checkbox keys_;
  ui::Checkbox pointer_;
  ui::Checkbox clipboard_;
  ui::Checkbox files_;
  ui::Checkbox chat_;
  ui::Checkbox specialKeys_;
  ui::Checkbox emulate3_;
  ui::Checkbox rateLimit_;
  ui::ComboBox preset_;
  ui::ComboBox menuKey_;
  // The presets' list indexes; -1 for one a policy rules out.
  int enabledIndex_;
  int disabledIndex_;
  int customIndex_;
};

} // namespace viewerconfig
