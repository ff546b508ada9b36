#include "ft/win/FolderPrompt.h"
#include "os/win/ShellItem.h"
#include "plat/win/Unicode.h"
#include "ui/win/MsgBox.h"

#include <shlobj.h>

namespace ft {

int CALLBACK writableFolderCallback(HWND browser, UINT message, LPARAM item, LPARAM) {
  if (message != BFFM_SELCHANGED)
    return 0;
  wchar_t path[MAX_PATH + 1] = {};
  bool writable = item && SHGetPathFromIDListW((LPCITEMIDLIST)item, path);
  if (writable) {
    HANDLE folder =
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder != INVALID_HANDLE_VALUE)
      CloseHandle(folder);
    // Only a refusal counts: other failures may pass once the folder is
    // really used.
    else if (GetLastError() == ERROR_ACCESS_DENIED)
      writable = false;
  }
  SendMessageW(browser, BFFM_ENABLEOK, 0, writable ? TRUE : FALSE);
  return 0;
}

plat::String ShellFolderPrompt::chooseFolder(HWND owner, const char* title) {
  plat::WString wideTitle(title);
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  info.lpfn = writableFolderCallback;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  if (!chosen)
    return plat::String();
  struct Freed {
    LPITEMIDLIST list;
    ~Freed() { CoTaskMemFree(list); }
  } freed{chosen};
  return plat::String::adopt(os::ShellItem(chosen).getParsingName());
}

void ShellFolderPrompt::showError(HWND owner, const char* text) {
  ui::MsgBox(owner, text, MB_OK | MB_ICONERROR);
}

} // namespace ft
