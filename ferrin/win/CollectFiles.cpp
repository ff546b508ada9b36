#include "ferrin/win/CollectFiles.h"

#include "ferrin/upload/win/FileProxyWin32File.h"
#include "ft/ShareEntry.h"
#include "os/win/DirIterator.h"
#include "os/win/ShellItem.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace ft {

static plat::LogWriter vlog("CollectFiles");

namespace {

// What a file or folder is, whatever the spelling of its path: its volume
// and its index there; where those cannot be had, its full path in
// capitals.
std::string identity(const wchar_t* path) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info;
    bool known = GetFileInformationByHandle(file, &info) &&
                 (info.nFileIndexHigh || info.nFileIndexLow);
    CloseHandle(file);
    if (known) {
      char key[32];
      snprintf(key, sizeof(key), "i:%08lx:%08lx%08lx", (unsigned long)info.dwVolumeSerialNumber,
               (unsigned long)info.nFileIndexHigh, (unsigned long)info.nFileIndexLow);
      return key;
    }
  }
  DWORD length = GetFullPathNameW(path, 0, nullptr, nullptr);
  std::vector<wchar_t> full(length ? length : 1);
  if (!length || GetFullPathNameW(path, length, full.data(), nullptr) >= length)
    full.assign(path, path + wcslen(path) + 1);
  CharUpperBuffW(full.data(), (DWORD)wcslen(full.data()));
  plat::String utf8 = plat::String::adopt(plat::W2MB(full.data()));
  return std::string("f:") + utf8.c_str();
}

} // namespace

bool isOfferableName(const char* name) {
  ShareEntry entry;
  entry.name = name;
  try {
    entry.validateName();
  } catch (const plat::Exception&) {
    return false;
  }
  for (const char* p = entry.name.c_str(); *p; p++)
    if ((unsigned char)*p < 32 || *p == ':' || *p == '\\')
      return false;
  return true;
}

bool FileCollection::firstTime(std::string key) { return seen_.insert(std::move(key)).second; }

void FileCollection::addPath(const char* path, const char* name) {
  if (!isOfferableName(name))
    throw plat::ExceptionFmt("Not offered: a file named \"%.100s\"", name);
  // The same spelling again costs no look at the disk.
  if (!firstTime(std::string("n:") + path) || !firstTime(identity(plat::WString(path).c_str())))
    return;
  collect(path, name);
}

void FileCollection::collect(const char* path, const char* name) {
  plat::WString widePath(path);
  plat::WString wideName(name);
  FileProxyWin32File* file = new FileProxyWin32File(widePath.c_str(), wideName.c_str());
  out_->push_back(file);
  if (!(file->flags & ShareEntry::Directory))
    return;
  DWORD attributes = GetFileAttributesW(widePath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return;
  os::DirIterator entries(path, "*");
  while (entries.next()) {
    std::string child = std::string(name) + "/" + entries.name();
    // One file that cannot be looked at (gone meanwhile) costs only itself.
    try {
      // The files of a folder entered once are new, and a link is not
      // entered; a folder may have been named in the list as well.
      if (!entries.isDirectory() || entries.isReparsePoint() ||
          firstTime(identity(plat::WString(entries.fullPath()).c_str())))
        collect(entries.fullPath(), child.c_str());
    } catch (const plat::Exception& e) {
      vlog.error("%s: %s", child.c_str(), e.str());
    }
  }
}

void FileCollection::addItem(const os::ShellItem& item, const char* prefix) {
  plat::String path = plat::String::adopt(item.getParsingName());
  plat::String name = plat::String::adopt(item.getName());
  std::string relative = *prefix ? std::string(prefix) + "/" + name.c_str() : name.c_str();
  plat::WString widePath(path.c_str());
  if (item.isFileSystem() && GetFileAttributesW(widePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
    addPath(path.c_str(), relative.c_str());
    return;
  }
  if (!firstTime(std::string("v:") + path.c_str()))
    return;
  IShellFolder* folder = item.getFolder();
  IEnumIDList* children = nullptr;
  HRESULT hr = folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &children);
  if (FAILED(hr) || !children) {
    folder->Release();
    throw plat::SystemException("IShellFolder::EnumObjects", (int)hr);
  }
  LPITEMIDLIST child = nullptr;
  try {
    while (children->Next(1, &child, nullptr) == S_OK) {
      os::ShellItem childItem(child, -1, folder);
      CoTaskMemFree(child);
      child = nullptr;
      addItem(childItem, relative.c_str());
    }
  } catch (...) {
    CoTaskMemFree(child);
    children->Release();
    folder->Release();
    throw;
  }
  children->Release();
  folder->Release();
}

} // namespace ft
