// Drives the open-file dialog the way a user does, from a ModalHelper
// step: typing a folder into the name box and pressing Open moves the
// dialog there; the look-in list reaches the shell's own places.
#pragma once

#include "testing/TempDir.h"
#include "testing/WindowInput.h"
#include "ui/win/GetFileOrFolderDialog.h"

#include <functional>

#include <windows.h>

namespace chooser_driver {

const int NameBox = 0x47c;    // cmb13
const int LookInList = 0x471; // cmb2

inline std::wstring currentFolder(HWND frame) {
  wchar_t path[MAX_PATH] = {0};
  SendMessageW(frame, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)path);
  return path;
}

inline bool waitFor(const std::function<bool()>& done, int ms = 5000) {
  for (int waited = 0; waited < ms; waited += 25) {
    if (done())
      return true;
    Sleep(25);
  }
  return done();
}

// Types text into the name box and presses Open.
inline void enter(HWND frame, const std::wstring& text) {
  SendMessageW(frame, CDM_SETCONTROLTEXT, NameBox, (LPARAM)text.c_str());
  testing_support::clickButton(frame, IDOK);
}

inline bool openFolder(HWND frame, const std::string& folder) {
  std::wstring wanted = testing_support::wide(folder);
  enter(frame, wanted);
  return waitFor([&] { return lstrcmpiW(currentFolder(frame).c_str(), wanted.c_str()) == 0; });
}

// Picks entry index of the look-in list (0: the Desktop, 1: My Computer)
// and waits until the dialog is there.
inline bool lookIn(HWND frame, int index) {
  LRESULT before = SendMessageW(frame, CDM_GETFOLDERIDLIST, 0, 0);
  HWND list = GetDlgItem(frame, LookInList);
  SendMessageW(list, CB_SETCURSEL, index, 0);
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(LookInList, CBN_SELENDOK), (LPARAM)list);
  return waitFor([&] { return SendMessageW(frame, CDM_GETFOLDERIDLIST, 0, 0) != before; });
}

inline void useEntireFolder(HWND frame) {
  HWND button = testing_support::findDescendant(frame, ui::GetFileOrFolderDialog::UseEntireFolder);
  testing_support::clickButton(GetParent(button), ui::GetFileOrFolderDialog::UseEntireFolder);
}

} // namespace chooser_driver
