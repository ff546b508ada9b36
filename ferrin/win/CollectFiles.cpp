#include "ferrin/win/CollectFiles.h"

#include "ferrin/upload/win/FileProxyWin32File.h"
#include "ft/ShareEntry.h"
#include "os/win/DirIterator.h"
#include "os/win/ShellItem.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"

#include <cstring>
#include <string>

namespace ft {

static plat::LogWriter vlog("CollectFiles");

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

void collectPath(const char* path, const char* name, ManagedVector<FileProxy>* out) {
  if (!isOfferableName(name))
    throw plat::ExceptionFmt("Not offered: a file named \"%.100s\"", name);
  plat::WString widePath(path);
  plat::WString wideName(name);
  FileProxyWin32File* file = new FileProxyWin32File(widePath.c_str(), wideName.c_str());
  out->push_back(file);
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
      collectPath(entries.fullPath(), child.c_str(), out);
    } catch (const plat::Exception& e) {
      vlog.error("%s: %s", child.c_str(), e.str());
    }
  }
}

void collectItem(const os::ShellItem& item, const char* prefix, ManagedVector<FileProxy>* out) {
  plat::String path = plat::String::adopt(item.getParsingName());
  plat::String name = plat::String::adopt(item.getName());
  std::string relative = *prefix ? std::string(prefix) + "/" + name.c_str() : name.c_str();
  plat::WString widePath(path.c_str());
  if (item.isFileSystem() && GetFileAttributesW(widePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
    collectPath(path.c_str(), relative.c_str(), out);
    return;
  }
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
      collectItem(childItem, relative.c_str(), out);
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
