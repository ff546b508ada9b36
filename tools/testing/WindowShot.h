// A picture of one window, frame included, as it is on the (virtual)
// screen, saved as PNG.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// Repaints the window first. False when nothing could be captured or
// written. May be called from any thread.
bool saveWindowPng(HWND window, const std::string& path);

} // namespace testing_support
