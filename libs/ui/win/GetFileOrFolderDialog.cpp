#include "ui/win/GetFileOrFolderDialog.h"
#include "os/win/MonitorInfo.h"
#include "os/win/OSVersionInfo.h"
#include "plat/DString.h"
#include "plat/LogWriter.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"
#include "ui/win/HandlerFailure.h"
#include "ui/win/MsgBox.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

namespace ui {

static plat::LogWriter chooserLog("GetFileOrFolderDialog");

namespace {

// The file-system folder of a list that has one, else throws.
plat::String folderPath(const os::ItemIdList& folder) {
  wchar_t path[MAX_PATH];
  if (!SHGetPathFromIDListW((LPCITEMIDLIST)folder.data(), path))
    throw plat::Exception("Only file-system locations are supported.");
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw plat::Exception("Only file-system locations are supported.");
  return plat::String::adopt(plat::W2MB(path));
}

SHFILEINFOW shellInfo(const os::ItemIdList& folder, UINT flags, DWORD attributes = 0) {
  SHFILEINFOW info = {};
  info.dwAttributes = attributes;
  SHGetFileInfoW((LPCWSTR)folder.data(), 0, &info, sizeof(info), SHGFI_PIDL | flags);
  return info;
}

RECT rectIn(HWND window, HWND client) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, client, (POINT*)&r, 2);
  return r;
}

} // namespace

GetFileOrFolderDialog::GetFileOrFolderDialog()
    : folderChosen_(false), allowNonFileSystem_(false), ofn_(nullptr) {
  result_[0] = 0;
  start_[0] = 0;
}

bool GetFileOrFolderDialog::run(HWND owner, bool multiSelect, const char* title,
                                bool allowNonFileSystem) {
  const OSVERSIONINFOEXW& version = os::osVersion().record();
  plat::WString wtitle(title);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = version.dwMajorVersion >= 5 ? sizeof(OPENFILENAMEW) : OPENFILENAME_SIZE_VERSION_400W;
  ofn.hwndOwner = owner;
  ofn.hInstance = GetModuleHandleW(nullptr);
  ofn.lpstrFilter = L"All Files (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = result_;
  ofn.nMaxFile = BufferSize;
  ofn.lpstrInitialDir = start_;
  ofn.lpstrTitle = wtitle.c_str();
  ofn.lpfnHook = hookProc;
  ofn.lpTemplateName = L"FF_EXTRA_DIALOG";
  ofn.lCustData = (LPARAM)this;
  ofn.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
              OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY |
              (multiSelect ? OFN_ALLOWMULTISELECT : 0);

  if (folderChosen_) {
    try {
      plat::WString path(folderPath(folder_).c_str());
      lstrcpynW(start_, path.c_str(), BufferSize);
    } catch (const plat::Exception& e) {
      chooserLog.write(100, "previous folder: %s", e.str());
    }
  }
  folderChosen_ = false;
  allowNonFileSystem_ = allowNonFileSystem;
  // A name left from the previous run would be offered again, and would
  // end up in the result should the user only pick a folder.
  result_[0] = 0;
  result_[1] = 0;
  folder_ = os::ItemIdList();

  ofn_ = &ofn;
  BOOL ok = GetOpenFileNameW(&ofn);
  ofn_ = nullptr;
  if (!ok) {
    if (DWORD error = CommDlgExtendedError())
      chooserLog.error("GetOpenFileName failed: 0x%lx", (unsigned long)error);
    return false;
  }
  if (folderChosen_)
    return true;
  if (!result_[0])
    return false;
  lstrcpynW(start_, result_, BufferSize);
  return true;
}

void GetFileOrFolderDialog::getItems(std::vector<os::ItemIdList>* items) const {
  if (folderChosen_) {
    items->push_back(folder_);
    return;
  }
  // A folder and names, each ended by a NUL, the list by an empty one; or
  // one full path. Never past the buffer, whatever the dialog left there.
  const wchar_t* end = result_ + BufferSize;
  const wchar_t* first = result_;
  size_t firstLength = wcsnlen(first, BufferSize);
  if (!firstLength || first + firstLength == end)
    return;
  plat::String folder = plat::String::adopt(plat::W2MB(first));
  int length = folder.length();
  if (length > 0 && folder.c_str()[length - 1] == '\\')
    folder.buf()[length - 1] = 0;
  const wchar_t* name = first + firstLength + 1;
  if (name >= end || !*name) {
    items->push_back(os::ItemIdList(folder.c_str()));
    return;
  }
  while (name < end && *name) {
    size_t nameLength = wcsnlen(name, end - name);
    if (name + nameLength == end)
      break; // cut off: not a name
    plat::String utf8 = plat::String::adopt(plat::W2MB(name));
    plat::DString path;
    path.appendf("%s\\%s", folder.c_str(), utf8.c_str());
    items->push_back(os::ItemIdList(path.c_str()));
    name += nameLength + 1;
  }
}

UINT_PTR CALLBACK GetFileOrFolderDialog::hookProc(HWND hwnd, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  GetFileOrFolderDialog* self;
  if (message == WM_INITDIALOG) {
    self = (GetFileOrFolderDialog*)((OPENFILENAMEW*)lParam)->lCustData;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)self);
  } else {
    self = (GetFileOrFolderDialog*)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
  }
  if (!self || !self->ofn_)
    return 0;
  try {
    return self->hookHandler(hwnd, message, wParam, lParam, self->ofn_);
  } catch (...) {
    handlerFailed(chooserLog, message, hwnd);
    return 0;
  }
}

UINT_PTR GetFileOrFolderDialog::hookHandler(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            OPENFILENAMEW* ofn) {
  HWND frame = GetParent(hwnd);
  switch (message) {
  case WM_INITDIALOG:
    if (os::osVersion().record().dwMajorVersion >= 5) {
      RECT r;
      GetWindowRect(frame, &r);
      SetWindowPos(frame, nullptr, r.left, r.top - 33, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      // A frame already at the top of the screen would lose its caption.
      os::clipTo(os::MonitorInfo(frame).info(), frame);
    }
    return 0;
  case WM_SIZE:
    placeFolderButton(hwnd);
    return 0;
  case WM_COMMAND:
    if (LOWORD(wParam) == UseEntireFolder && HIWORD(wParam) == BN_CLICKED)
      chooseFolder(frame);
    return 0;
  }
  return 0;
}

// Under the frame's Cancel button, right-aligned with it, as the last of
// the column OK, Cancel, folder.
void GetFileOrFolderDialog::placeFolderButton(HWND hook) {
  HWND frame = GetParent(hook);
  HWND ok = GetDlgItem(frame, IDOK), cancel = GetDlgItem(frame, IDCANCEL);
  HWND button = GetDlgItem(hook, UseEntireFolder);
  if (!ok || !cancel || !button)
    return;
  RECT okRect = rectIn(ok, hook), cancelRect = rectIn(cancel, hook), own = rectIn(button, hook);
  int gap = cancelRect.top - okRect.bottom;
  int width = own.right - own.left;
  int top = cancelRect.bottom + gap;
  if (top < gap)
    top = gap;
  SetWindowPos(button, nullptr, cancelRect.right - width, top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GetFileOrFolderDialog::chooseFolder(HWND frame) {
  // The size first: a list of any length is taken whole.
  LRESULT size = SendMessageW(frame, CDM_GETFOLDERIDLIST, 0, 0);
  std::vector<uint8_t> bytes(size > 0 ? (size_t)size : 0);
  if (size > 0)
    size = SendMessageW(frame, CDM_GETFOLDERIDLIST, (WPARAM)bytes.size(), (LPARAM)bytes.data());
  if (size < 1 || (size_t)size > bytes.size()) {
    MsgBox(frame, "Please navigate into the folder you want to send.", MB_ICONEXCLAMATION);
    return;
  }
  os::ItemIdList folder(bytes.data(), (int)size);
  SHFILEINFOW attributes =
      shellInfo(folder, SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED, SFGAO_FOLDER);
  if (!(attributes.dwAttributes & SFGAO_FOLDER)) {
    MsgBox(frame, "This folder cannot be sent.", MB_ICONEXCLAMATION);
    return;
  }
  if (!allowNonFileSystem_) {
    try {
      folderPath(folder);
    } catch (const plat::Exception& e) {
      MsgBox(frame, e.str(), MB_ICONERROR);
      return;
    }
  }
  plat::String name = plat::String::adopt(plat::W2MB(shellInfo(folder, SHGFI_DISPLAYNAME).szDisplayName));
  plat::DString question;
  question.appendf("Do you want to send %s?", name.c_str());
  if (MsgBox(frame, question.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES) {
    folder_ = folder;
    folderChosen_ = true;
    EndDialog(frame, 1);
  }
}

} // namespace ui
