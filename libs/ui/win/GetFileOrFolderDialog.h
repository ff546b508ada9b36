// The open-file dialog with one more button, "Use &Entire Folder" (the
// template "FF_EXTRA_DIALOG", button 1010), so that the user picks either
// files or one whole folder. The choice comes out as item-id lists.
#pragma once

#include "os/ItemIdList.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

namespace ui {

class GetFileOrFolderDialog {
public:
  enum { BufferSize = 2048, UseEntireFolder = 1010 };

  GetFileOrFolderDialog();
  GetFileOrFolderDialog(const GetFileOrFolderDialog&) = delete;
  GetFileOrFolderDialog& operator=(const GetFileOrFolderDialog&) = delete;
  virtual ~GetFileOrFolderDialog() {}

  // True when files or a folder were chosen. The dialog opens where the
  // previous choice was made. A failure of the dialog itself (a missing
  // template, say) is logged and gives false.
  bool run(HWND owner, bool multiSelect, const char* title, bool allowNonFileSystem);
  // Appends one list per chosen file, in the dialog's order, or the chosen
  // folder's. Throws when a chosen path no longer parses.
  void getItems(std::vector<os::ItemIdList>* items) const;

  bool folderChosen() const { return folderChosen_; }

protected:
  virtual UINT_PTR hookHandler(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                               OPENFILENAMEW* ofn);

private:
  static UINT_PTR CALLBACK hookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void placeFolderButton(HWND hook);
  void chooseFolder(HWND frame);

  wchar_t result_[BufferSize];
  wchar_t start_[BufferSize];
  // The folder of a folder choice: item-id lists are bytes, not text.
  os::ItemIdList folder_;
  bool folderChosen_;
  bool allowNonFileSystem_;
  OPENFILENAMEW* ofn_;
};

} // namespace ui
