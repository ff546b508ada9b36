// The product logo's bitmap resource for a screen resolution, so that the
// pop-ups and the property sheets' banner show it at about one physical
// size: up to 96 DPI "LOGO_58x55", up to 120 "LOGO_74x70", else
// "LOGO_96x90" (the bitmaps are in win/Logos.rc).
#pragma once

namespace ui {

const wchar_t* logoResourceName(int dpi);

} // namespace ui
