// Text on the clipboard, put there and read back the way another program
// does (the clipboard opened without a window).
#pragma once

#include <string>

namespace testing_support {

// False when the clipboard could not be had.
bool putClipboardText(const wchar_t* text);
// Empty when the clipboard holds no text or could not be opened.
std::wstring clipboardText();

} // namespace testing_support
