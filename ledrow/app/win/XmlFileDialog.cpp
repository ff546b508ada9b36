#include "ledrow/app/win/XmlFileDialog.h"
#include "plat/Exception.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

namespace addrbook {

namespace {

// The Documents folder, else the desktop, else the system drive.
std::wstring startingFolder() {
  wchar_t path[MAX_PATH];
  for (int csidl : {CSIDL_PERSONAL, CSIDL_DESKTOP})
    if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
      return path;
  DWORD length = ExpandEnvironmentStringsW(L"%SYSTEMDRIVE%", path, MAX_PATH);
  return length > 0 && length <= MAX_PATH ? path : L"";
}

} // namespace

std::string chooseXmlFile(HWND owner, bool forSaving) {
  std::vector<wchar_t> file(32768);
  std::wstring folder = startingFolder();
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Kiv Address Book XML Files (*.xml)\0*.xml\0";
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = (DWORD)file.size();
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrDefExt = L"xml";
  dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  BOOL chosen;
  if (forSaving) {
    dialog.lpstrTitle = L"Export Kiv Address Book Entries";
    dialog.Flags |= OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameW(&dialog);
  } else {
    dialog.lpstrTitle = L"Import Kiv Address Book Entries";
    dialog.Flags |= OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameW(&dialog);
  }
  if (!chosen) {
    if (CommDlgExtendedError() != 0)
      throw plat::Exception(forSaving ? "GetSaveFileName failed" : "GetOpenFileName");
    return "";
  }
  plat::String path = plat::String::adopt(plat::W2MB(file.data()));
  return path.c_str();
}

} // namespace addrbook
