#include "viewerconfig/InputPresets.h"
#include "ledrow/data/ConnOptions.h"

namespace viewerconfig {

OfferedPresets offeredPresets(const addrbook::CConnOptions& o, int pagePriority) {
  OfferedPresets offered;
  const plat::BoolParameter* inputs[] = {&o.sendKeyEvents, &o.sendPointerEvents, &o.shareFiles,
                                         &o.enableChat,    &o.clientCutText,     &o.serverCutText};
  for (const plat::BoolParameter* p : inputs) {
    if (p->getPriority() >= pagePriority)
      continue;
    if (p->getValue())
      offered.disabled = false;
    else
      offered.enabled = false;
  }
  return offered;
}

InputPreset shownPreset(ui::CheckboxWidget::State keys, ui::CheckboxWidget::State pointer,
                        ui::CheckboxWidget::State clipboard, ui::CheckboxWidget::State files,
                        ui::CheckboxWidget::State chat) {
  using State = ui::CheckboxWidget::State;
  State all[] = {keys, pointer, clipboard, files, chat};
  bool allChecked = true;
  for (State s : all)
    allChecked = allChecked && s == State::Checked;
  if (allChecked)
    return InputsEnabled;
  State others[] = {keys, pointer, files, chat};
  bool noneChecked = clipboard == State::Unchecked;
  for (State s : others)
    noneChecked = noneChecked && s != State::Checked;
  return noneChecked ? InputsDisabled : InputsCustom;
}

} // namespace viewerconfig
