#include "viewerconfig/win/BasicOptionsDlg.h"
#include "ledrow/data/ConnOptions.h"
#include "viewerconfig/Substitutes.h"
#include "viewerconfig/win/ControlIds.h"
#include "viewerconfig/win/MenuKeyList.h"

namespace viewerconfig {

BasicOptionsDlg::BasicOptionsDlg(addrbook::CConnOptions* options)
    : DisplayDlgBase(options, L"BASIC_DIALOG") {}

bool BasicOptionsDlg::onInitDialog() {
  scale_.wrap(getDlgItem(IDC_SCALE_TO_WINDOW));
  viewOnly_.wrap(getDlgItem(IDC_VIEW_ONLY));
  specialKeys_.wrap(getDlgItem(IDC_SPECIAL_KEYS));
  menuKey_.wrap(getDlgItem(IDC_MENU_KEY));
  specialKeys_.setText("&Pass special keys directly to Kiv Server");
  plat::BoolParameter* inputs[] = {&options_->sendKeyEvents, &options_->sendPointerEvents,
                                   &options_->clientCutText, &options_->serverCutText,
                                   &options_->shareFiles,    &options_->enableChat};
  for (plat::BoolParameter* p : inputs)
    sync().bindCheckbox(&viewOnly_, p, "0", "1");
  sync().bindCheckbox(&scale_, &options_->scaling, "AspectFit", "None");
  sync().bindCheckbox(&specialKeys_, &options_->disableWinKeys, "1", "0");
  sync().bindText(&menuKey_, &options_->menuKey);
  sync().setSubstituteCallback(this);
  fillMenuKeys(&menuKey_);
  setToolTip(IDC_SCALE_TO_WINDOW, "Scale the desktop to fit inside the Kiv Viewer window.", 300);
  setToolTip(IDC_VIEW_ONLY,
             "Disable file transfer and keyboard, mouse and clipboard interaction with Kiv "
             "Server.",
             300);
  setToolTip(IDC_SPECIAL_KEYS,
             "Pass the following keys to be processed by Kiv Server:\nPrint Screen, Alt+Tab, "
             "Alt+Escape, Ctrl+Escape and the Windows key.\nThese keys will have no effect "
             "locally while the Kiv Viewer window is selected.",
             300);
  setToolTip(IDC_MENU_KEY,
             "Set the function key to use to access the menu while connected to Kiv Server.", 300);
  return DisplayDlgBase::onInitDialog();
}

void BasicOptionsDlg::enableSpecialKeys() {
  specialKeys_.setEnabled(viewOnly_.getState() != ui::CheckboxWidget::Checked);
}

bool BasicOptionsDlg::onCommand(int id, int code) {
  if (id == IDC_VIEW_ONLY)
    enableSpecialKeys();
  return DisplayDlgBase::onCommand(id, code);
}

void BasicOptionsDlg::onShow() {
  DisplayDlgBase::onShow();
  enableSpecialKeys();
}

void BasicOptionsDlg::substitute(const char* name, const char** value, bool toParameter) {
  if (!substituteMenuKey(name, value, toParameter))
    substituteScaling(name, value, toParameter);
}

} // namespace viewerconfig
