// The error box for a value that a parameter refused, shown by the pages
// and the expert list alike.
#pragma once

#include <windows.h>

namespace plat {
class ConfigParameter;
}

namespace ui {

// Names the parameter and the value it keeps.
void showRefusedValue(HWND owner, const plat::ConfigParameter& param, const char* text);

} // namespace ui
