// The display page of the advanced set: scaling (none, to the window, or a
// custom size in pixels or percent, with or without the aspect ratio), and
// the controls of DisplayDlgBase. Every change is written to Scaling at
// once, in the form ScalingSpec gives it.
#pragma once

#include "ui/win/ComboBox.h"
#include "ui/win/EditBox.h"
#include "viewerconfig/ScalingSpec.h"
#include "viewerconfig/win/DisplayDlgBase.h"

namespace viewerconfig {

class DisplayPage : public DisplayDlgBase {
public:
  // The server desktop's size in pixels (0 x 0: not known, as in an
  // entry's properties) converts between pixels and percent.
  explicit DisplayPage(addrbook::CConnOptions* options, int serverWidth = 0, int serverHeight = 0);

  bool onInitDialog() override;
  bool onCommand(int id, int code) override;
  void onShow() override;

  const ScalingSpec& scaling() const { return spec_; }

private:
  // Shows the scaling in every control but the one the user is typing in.
  void refresh(int excludedId);
  // The scaling after the command from control id, or false when the command
  // changes nothing.
  bool applyCommand(int id, int code);

  ui::Checkbox noScaling_;
  ui::Checkbox fitWindow_;
  ui::Checkbox custom_;
  ui::Checkbox aspect_;
  ui::EditBox width_;
  ui::EditBox height_;
  ui::ComboBox units_;
  ScalingSpec spec_;
  // Set while the page fills its own controls: what they tell of it is not
  // the user's.
  bool updating_;
};

} // namespace viewerconfig
