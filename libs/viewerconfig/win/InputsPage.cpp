#include "viewerconfig/win/InputsPage.h"
#include "ledrow/data/ConnOptions.h"
#include "viewerconfig/InputPresets.h"
#include "viewerconfig/Substitutes.h"
#include "viewerconfig/win/ControlIds.h"
#include "viewerconfig/win/MenuKeyList.h"

namespace viewerconfig {

InputsPage::InputsPage(addrbook::CConnOptions* options)
    : ui::ConfigDialog(options, L"INPUTS_DIALOG"), options_(options), enabledIndex_(-1),
      disabledIndex_(-1), customIndex_(-1) {}

bool InputsPage::onInitDialog() {
  ui::Checkbox* boxes[] = {&keys_, &pointer_,     &clipboard_, &files_,
                           &chat_, &specialKeys_, &emulate3_,  &rateLimit_};
  int ids[] = {IDC_SEND_KEYS,   IDC_SEND_POINTER, IDC_SHARE_CLIPBOARD, IDC_SHARE_FILES,
               IDC_ENABLE_CHAT, IDC_SPECIAL_KEYS, IDC_EMULATE3,        IDC_RATE_LIMIT};
  for (int i = 0; i < 8; i++)
    boxes[i]->wrap(getDlgItem(ids[i]));
  preset_.wrap(getDlgItem(IDC_INPUT_PRESET));
  menuKey_.wrap(getDlgItem(IDC_MENU_KEY));
  specialKeys_.setText("Pass &special keys directly to Kiv Server");
  clipboard_.setText("Share &clipboard with Kiv Server");

  OfferedPresets offered = offeredPresets(*options_, priority_);
  enabledIndex_ = offered.enabled ? preset_.addString("Enabled") : -1;
  disabledIndex_ = offered.disabled ? preset_.addString("Disabled (view-only mode)") : -1;
  customIndex_ = preset_.addString("Custom");
  fillMenuKeys(&menuKey_);

  sync().bindCheckbox(&keys_, &options_->sendKeyEvents, "1", "0");
  sync().bindCheckbox(&pointer_, &options_->sendPointerEvents, "1", "0");
  sync().bindCheckbox(&files_, &options_->shareFiles, "1", "0");
  sync().bindCheckbox(&chat_, &options_->enableChat, "1", "0");
  sync().bindCheckbox(&specialKeys_, &options_->disableWinKeys, "1", "0");
  sync().bindCheckbox(&emulate3_, &options_->emulate3, "1", "0");
  sync().bindCheckbox(&rateLimit_, &options_->pointerEventInterval, "200", "0");
  sync().bindCheckbox(&clipboard_, &options_->clientCutText, "1", "0");
  sync().bindCheckbox(&clipboard_, &options_->serverCutText, "1", "0");
  sync().bindText(&menuKey_, &options_->menuKey);
  sync().setSubstituteCallback(this);

  setToolTip(IDC_INPUT_PRESET, "Select an input configuration.", 300);
  setToolTip(IDC_SEND_POINTER, "Enable mouse interaction with Kiv Server.", 300);
  setToolTip(IDC_SEND_KEYS, "Enable keyboard interaction with Kiv Server.", 300);
  setToolTip(IDC_SHARE_CLIPBOARD, "Exchange the contents of the local clipboard with Kiv Server.",
             300);
  setToolTip(IDC_SHARE_FILES, "Enable file transfer to and from Kiv Server.", 300);
  setToolTip(IDC_ENABLE_CHAT, "Enable chat with Kiv Server.", 300);
  setToolTip(IDC_RATE_LIMIT,
             "Reduce the number of mouse position events sent to Kiv Server. This can avoid "
             "connection problems on some networks.",
             300);
  setToolTip(IDC_EMULATE3,
             "Allow a two-button mouse to emulate a middle-click by clicking the left and right "
             "buttons at the same time.",
             300);
  setToolTip(IDC_SPECIAL_KEYS,
             "Pass the following keys to be processed by Kiv Server:\nPrint Screen, Alt+Tab, "
             "Alt+Escape, Ctrl+Escape and the Windows key.",
             300);
  setToolTip(IDC_MENU_KEY,
             "Set the function key to use to access the menu while connected to Kiv Server.", 300);
  return false;
}

void InputsPage::enableDependents() {
  specialKeys_.setEnabled(keys_.getState() == ui::CheckboxWidget::Checked);
  bool pointer = pointer_.getState() == ui::CheckboxWidget::Checked;
  rateLimit_.setEnabled(pointer);
  emulate3_.setEnabled(pointer);
}

void InputsPage::showPreset() {
  InputPreset shown = shownPreset(keys_.getState(), pointer_.getState(), clipboard_.getState(),
                                  files_.getState(), chat_.getState());
  int index = shown == InputsEnabled    ? enabledIndex_
              : shown == InputsDisabled ? disabledIndex_
                                        : customIndex_;
  SendMessageW(preset_.getHandle(), CB_SETCURSEL, (WPARAM)index, 0);
}

void InputsPage::choosePreset() {
  int chosen = preset_.getCurSel();
  if (chosen < 0 || (chosen != enabledIndex_ && chosen != disabledIndex_))
    return;
  ui::CheckboxWidget::State state =
      chosen == enabledIndex_ ? ui::CheckboxWidget::Checked : ui::CheckboxWidget::Unchecked;
  for (ui::Checkbox* box : {&keys_, &pointer_, &clipboard_, &files_, &chat_})
    box->setState(state);
  enableDependents();
}

bool InputsPage::onCommand(int id, int code) {
  switch (id) {
  case IDC_SEND_POINTER:
  case IDC_SEND_KEYS:
    enableDependents();
    showPreset();
    break;
  case IDC_SHARE_CLIPBOARD:
  case IDC_SHARE_FILES:
  case IDC_ENABLE_CHAT:
    showPreset();
    break;
  case IDC_INPUT_PRESET:
    if (code == CBN_SELCHANGE)
      choosePreset();
    break;
  }
  return ui::ConfigDialog::onCommand(id, code);
}

void InputsPage::onShow() {
  ui::ConfigDialog::onShow();
  enableDependents();
  showPreset();
}

void InputsPage::substitute(const char* name, const char** value, bool toParameter) {
  substituteMenuKey(name, value, toParameter);
}

} // namespace viewerconfig
