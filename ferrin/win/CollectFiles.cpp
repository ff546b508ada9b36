#include "ferrin/win/CollectFiles.h"

#include "ferrin/upload/win/FileProxyWin32File.h"
#include "ft/ShareEntry.h"
#include "os/win/DirIterator.h"
#include "os/win/ShellItem.h"
#include "plat/LogWriter.h"
#include "plat/win/Unicode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace ft {

static plat::LogWriter vlog("CollectFiles");

namespace {

// A path as it resolves, whatever its spelling: full, with long names,
// without the "\\?\" prefix, in capitals.
std::string resolvedPath(const wchar_t* path) {
  DWORD length = GetFullPathNameW(path, 0, nullptr, nullptr);
  std::vector<wchar_t> full(length ? length : 1);
  if (!length || GetFullPathNameW(path, length, full.data(), nullptr) >= length)
    full.assign(path, path + wcslen(path) + 1);
  length = GetLongPathNameW(full.data(), nullptr, 0);
  std::vector<wchar_t> longer(length ? length : 1);
  if (length && GetLongPathNameW(full.data(), longer.data(), length) < length)
    full.swap(longer);
  std::wstring resolved(full.data());
  if (resolved.compare(0, 8, L"\\\\?\\UNC\\") == 0)
    resolved.replace(0, 8, L"\\\\");
  else if (resolved.compare(0, 4, L"\\\\?\\") == 0)
    resolved.erase(0, 4);
  CharUpperBuffW(&resolved[0], (DWORD)resolved.size());
  plat::String utf8 = plat::String::adopt(plat::W2MB(resolved.c_str()));
  return utf8.c_str();
}

// A folder whose tree is offered: not a file, not a link.
bool isEntered(const FileProxy& entry, const wchar_t* path) {
  if (!(entry.flags & ShareEntry::Directory))
    return false;
  DWORD attributes = GetFileAttributesW(path);
  return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A folder entered, and the one it was entered from.
struct Entered {
  FileIdentity identity;
  size_t above;
};
const size_t Top = ~(size_t)0;

// Whether the folder is one of those entered on the way to it, from.
bool leadsBack(const std::vector<Entered>& entered, size_t from, const FileIdentity& folder) {
  if (!folder.known())
    return false;
  for (size_t at = from; at != Top; at = entered[at].above)
    if (folder.sameAs(entered[at].identity))
      return true;
  return false;
}

// A folder whose entries are still to be walked.
struct Pending {
  std::string path;
  std::string name;
  size_t entered; // its own place among the folders entered
};

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

bool FileCollection::collectedBefore(const wchar_t* path) {
  std::vector<Collected>& others = resolved_[resolvedPath(path)];
  if (others.empty()) {
    others.push_back({path, false, FileIdentity()});
    return false;
  }
  FileIdentity identity = identity_(path);
  for (Collected& other : others) {
    if (!other.lookedUp) {
      other.identity = identity_(other.path.c_str());
      other.lookedUp = true;
    }
    if (identity.sameAs(other.identity))
      return true;
  }
  others.push_back({path, true, identity});
  return false;
}

void FileCollection::addPath(const char* path, const char* name) {
  if (!isOfferableName(name))
    throw plat::ExceptionFmt("Not offered: a file named \"%.100s\"", name);
  // The same spelling again costs no look at the disk.
  if (!firstTime(std::string("n:") + path))
    return;
  plat::WString widePath(path);
  if (collectedBefore(widePath.c_str()))
    return;
  plat::WString wideName(name);
  std::unique_ptr<FileProxy> file(new FileProxyWin32File(widePath.c_str(), wideName.c_str()));
  bool entered = isEntered(*file, widePath.c_str());
  out_->push_back(file.release());
  if (entered)
    walk(path, name, identity_(widePath.c_str()));
}

void FileCollection::walk(const char* path, const char* name, const FileIdentity& identity) {
  std::vector<Entered> entered = {{identity, Top}};
  std::vector<Pending> pending = {{path, name, 0}};
  while (!pending.empty()) {
    Pending folder = std::move(pending.back());
    pending.pop_back();
    size_t firstBelow = pending.size();
    os::DirIterator entries(folder.path.c_str(), "*");
    while (entries.next()) {
      std::string child = folder.name + "/" + entries.name();
      // One file that cannot be looked at (gone meanwhile) costs only itself.
      try {
        plat::WString widePath(entries.fullPath());
        plat::WString wideName(child.c_str());
        out_->push_back(new FileProxyWin32File(widePath.c_str(), wideName.c_str()));
        if (!entries.isDirectory() || entries.isReparsePoint())
          continue;
        // A separator and a name of one unit below it.
        if (wcslen(widePath.c_str()) + 2 > LongestPath) {
          vlog.error("Offered but not entered, too deep for a path below it to open: %s",
                     child.c_str());
          continue;
        }
        FileIdentity below = identity_(widePath.c_str());
        if (leadsBack(entered, folder.entered, below)) {
          vlog.error("%s: leads back to a folder above it; not entered", child.c_str());
          continue;
        }
        entered.push_back({below, folder.entered});
        pending.push_back({entries.fullPath(), child, entered.size() - 1});
      } catch (const plat::Exception& e) {
        vlog.error("%s: %s", child.c_str(), e.str());
      }
    }
    // The first sub-folder listed is walked first.
    std::reverse(pending.begin() + firstBelow, pending.end());
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
