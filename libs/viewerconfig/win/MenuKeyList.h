// The menu-key list of the basic and inputs pages: "none" (no menu key,
// stored as the empty text), then "F1" to "F12".
#pragma once

namespace ui {
class ComboBox;
}

namespace viewerconfig {

void fillMenuKeys(ui::ComboBox* list);

} // namespace viewerconfig
