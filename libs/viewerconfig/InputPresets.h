// The inputs page's preset list: "Enabled" (every input on), "Disabled
// (view-only mode)" (every input off) and "Custom" (anything else).
#pragma once

#include "ui/Widget.h"

namespace addrbook {
class CConnOptions;
}

namespace viewerconfig {

enum InputPreset { InputsEnabled, InputsDisabled, InputsCustom };

struct OfferedPresets {
  bool enabled = true;
  bool disabled = true; // "Custom" is always offered
};

// A preset is offered unless an input option held at a priority stronger
// than pagePriority (a policy) contradicts it.
OfferedPresets offeredPresets(const addrbook::CConnOptions& options, int pagePriority);

// The preset that the boxes show. "Disabled" needs the clipboard box
// exactly unchecked: an indeterminate one means the two clipboard options
// disagree.
InputPreset shownPreset(ui::CheckboxWidget::State keys, ui::CheckboxWidget::State pointer,
                        ui::CheckboxWidget::State clipboard, ui::CheckboxWidget::State files,
                        ui::CheckboxWidget::State chat);

} // namespace viewerconfig
