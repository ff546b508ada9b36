// Layout faults a person would see in a dialog: a text that does not fit
// its control, a bold text drawn in the normal weight, two visible controls
// that overlap, a control that reaches outside the client area.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// One line per fault, naming the controls by id and text.
std::vector<std::string> layoutFaults(HWND window);

} // namespace testing_support
