// What the fetch-folder prompt shows the user: a folder browser and error
// boxes. The shell's dialogs in the program; tests put their own in.
#pragma once

#include "plat/String.h"

#include <windows.h>

namespace ft {

class FolderPrompt {
public:
  virtual ~FolderPrompt() {}
  // The folder chosen, or a null string when the user cancelled. May throw
  // plat::Exception.
  virtual plat::String chooseFolder(HWND owner, const char* title) = 0;
  virtual void showError(HWND owner, const char* text) = 0;
};

// The shell's folder browser, offering only folders that can be written
// to, and an error message box.
class ShellFolderPrompt : public FolderPrompt {
public:
  plat::String chooseFolder(HWND owner, const char* title) override;
  void showError(HWND owner, const char* text) override;
};

// The folder browser's callback (BFFCALLBACK) that enables OK only for a
// file-system folder that can be opened for writing.
int CALLBACK writableFolderCallback(HWND browser, UINT message, LPARAM item, LPARAM data);

} // namespace ft
