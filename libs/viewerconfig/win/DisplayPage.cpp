#include "viewerconfig/win/DisplayPage.h"
#include "ledrow/data/ConnOptions.h"
#include "viewerconfig/win/ControlIds.h"

#include <string>

namespace viewerconfig {

namespace {

struct UpdatingFlag {
  explicit UpdatingFlag(bool* flag) : flag_(flag) { *flag_ = true; }
  ~UpdatingFlag() { *flag_ = false; }
  bool* flag_;
};

ui::CheckboxWidget::State checkedIf(bool on) {
  return on ? ui::CheckboxWidget::Checked : ui::CheckboxWidget::Unchecked;
}

} // namespace

DisplayPage::DisplayPage(addrbook::CConnOptions* options, int serverWidth, int serverHeight)
    : DisplayDlgBase(options, L"DISPLAY_DIALOG"), updating_(false) {
  spec_.serverWidth = serverWidth;
  spec_.serverHeight = serverHeight;
  spec_.updateFromWindow();
}

bool DisplayPage::onInitDialog() {
  noScaling_.wrap(getDlgItem(IDC_NO_SCALING));
  fitWindow_.wrap(getDlgItem(IDC_SCALE_TO_WINDOW));
  custom_.wrap(getDlgItem(IDC_CUSTOM_SCALING));
  aspect_.wrap(getDlgItem(IDC_PRESERVE_ASPECT));
  width_.wrap(getDlgItem(IDC_SCALE_WIDTH));
  height_.wrap(getDlgItem(IDC_SCALE_HEIGHT));
  units_.wrap(getDlgItem(IDC_SCALE_UNITS));
  units_.addString("Pixels");
  units_.addString("Percent");
  setToolTip(IDC_NO_SCALING,
             "Do not scale the desktop. If the Kiv Server desktop is larger than the local "
             "screen, add scrollbars in windowed mode or use bump-scrolling in full-screen mode.",
             300);
  setToolTip(IDC_CUSTOM_SCALING,
             "Scale the desktop to the specified size or by the specified percentage.", 300);
  setToolTip(IDC_SCALE_TO_WINDOW, "Scale the desktop to fit inside the Kiv Viewer window.", 300);
  setToolTip(IDC_PRESERVE_ASPECT,
             "If scaling is enabled, preserve the aspect ratio of the Kiv Server desktop.", 300);
  setToolTip(IDC_SCALE_UNITS, "Select units of scaling.", 300);
  setToolTip(IDC_SCALE_WIDTH, "The width of the scaled desktop.", 300);
  setToolTip(IDC_SCALE_HEIGHT, "The height of the scaled desktop.", 300);
  return DisplayDlgBase::onInitDialog();
}

void DisplayPage::onShow() {
  DisplayDlgBase::onShow();
  spec_.parse(options_->scaling.getValueStr().c_str());
  refresh(0);
}

bool DisplayPage::onCommand(int id, int code) {
  // The page's own filling of its boxes: neither the scaling nor the
  // bound options are the user's to write then.
  if (updating_)
    return false;
  DisplayDlgBase::onCommand(id, code);
  if (!applyCommand(id, code))
    return false;
  options_->scaling.setParam(spec_.toString().c_str(), priority_);
  refresh(id);
  return false;
}

// Only the notifications that change a control's value count: focus
// moving through the boxes writes nothing.
bool DisplayPage::applyCommand(int id, int code) {
  switch (id) {
  case IDC_SCALE_WIDTH:
    if (code != EN_CHANGE)
      return false;
    spec_.width = width_.getInt();
    spec_.widthDriven = spec_.width != 0;
    spec_.updateFromWindow();
    return true;
  case IDC_SCALE_HEIGHT:
    if (code != EN_CHANGE)
      return false;
    spec_.height = height_.getInt();
    spec_.widthDriven = spec_.height == 0;
    spec_.updateFromWindow();
    return true;
  case IDC_SCALE_UNITS:
    if (code != CBN_SELCHANGE)
      return false;
    spec_.setPercent(units_.getCurSel() != 0);
    return true;
  case IDC_NO_SCALING:
  case IDC_SCALE_TO_WINDOW:
  case IDC_CUSTOM_SCALING:
    if (code != BN_CLICKED)
      return false;
    spec_.mode = id == IDC_NO_SCALING        ? ScalingSpec::None
                 : id == IDC_SCALE_TO_WINDOW ? ScalingSpec::Fit
                                             : ScalingSpec::Custom;
    return true;
  case IDC_PRESERVE_ASPECT:
    if (code != BN_CLICKED)
      return false;
    spec_.aspect = aspect_.getState() == ui::CheckboxWidget::Checked;
    spec_.updateFromWindow();
    return true;
  }
  return false;
}

void DisplayPage::refresh(int excludedId) {
  UpdatingFlag flag(&updating_);
  noScaling_.setState(checkedIf(spec_.mode == ScalingSpec::None));
  fitWindow_.setState(checkedIf(spec_.mode == ScalingSpec::Fit));
  custom_.setState(checkedIf(spec_.mode == ScalingSpec::Custom));
  aspect_.setState(checkedIf(spec_.aspect));
  if (excludedId != IDC_SCALE_WIDTH)
    width_.setText(spec_.width ? std::to_string(spec_.width).c_str() : "");
  if (excludedId != IDC_SCALE_HEIGHT)
    height_.setText(spec_.height ? std::to_string(spec_.height).c_str() : "");
  units_.setText(spec_.percent ? "Percent" : "Pixels");
  aspect_.setEnabled(spec_.mode != ScalingSpec::None);
  bool custom = spec_.mode == ScalingSpec::Custom;
  width_.setEnabled(custom);
  height_.setEnabled(custom);
  units_.setEnabled(custom);
}

} // namespace viewerconfig
