// Driving windows the way a user would, by messages: keys, typed text,
// button clicks, and reading what a window shows. Safe from any thread:
// everything is posted or sent to the window's own thread.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// WM_KEYDOWN then WM_KEYUP, posted.
void pressKey(HWND target, UINT virtualKey);
// One WM_CHAR per character, posted.
void typeText(HWND target, const std::wstring& text);
// BN_CLICKED from the dialog's control id, posted to the dialog.
void clickButton(HWND dialog, int id);

// The window with this control id anywhere below root, or null.
HWND findDescendant(HWND root, int id);
std::wstring windowText(HWND window);
// The texts of every static control below root, one per line: what a
// message box says.
std::wstring staticTexts(HWND root);

} // namespace testing_support
