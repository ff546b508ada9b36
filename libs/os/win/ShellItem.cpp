#include "os/win/ShellItem.h"
#include "os/win/ShellString.h"
#include "plat/String.h"
#include "plat/win/Unicode.h"

#include <cstdio>
#include <cstring>

namespace os {

namespace {

// One reference on a shell interface, released when the holder ends.
template <typename T> struct ComRef {
  explicit ComRef(T* p = nullptr) : ptr(p) {}
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (ptr)
      ptr->Release();
  }
  T* operator->() const { return ptr; }
  T* release() {
    T* p = ptr;
    ptr = nullptr;
    return p;
  }
  T* ptr;
};

IShellFolder* desktopFolder() {
  IShellFolder* desktop = nullptr;
  HRESULT result = SHGetDesktopFolder(&desktop);
  if (FAILED(result))
    throw plat::SystemException("SHGetDesktopFolder", (int)result);
  return desktop;
}

LPCITEMIDLIST pidlOf(const ItemIdList& list) {
  return reinterpret_cast<LPCITEMIDLIST>(list.data());
}

} // namespace

ShellItem::ShellItem(const void* pidl, int maxBytes, IShellFolder* folder)
    : ItemIdList(pidl, maxBytes), folder_(folder) {
  if (folder_)
    folder_->AddRef();
  else
    folder_ = desktopFolder();
}

ShellItem::ShellItem(const ItemIdList& list, IShellFolder* folder)
    : ItemIdList(list), folder_(folder) {
  if (folder_)
    folder_->AddRef();
  else
    folder_ = desktopFolder();
}

ShellItem::ShellItem(const ShellItem& other) : ItemIdList(other), folder_(other.folder_) {
  folder_->AddRef();
}

ShellItem::~ShellItem() { folder_->Release(); }

char* ShellItem::getParsingName() const {
  ShellString name;
  HRESULT result = folder_->GetDisplayNameOf(pidl(), SHGDN_FORPARSING, name.out());
  if (FAILED(result))
    throw plat::SystemException("IShellFolder::GetDisplayNameOf", (int)result);
  return name.toUtf8(*this);
}

IShellFolder* ShellItem::parentFolder(ItemIdList* relative) const {
  ItemIdList parent(*this);
  parent.splitLast(relative);
  if (parent.isEmpty()) {
    *relative = *this;
    folder_->AddRef();
    return folder_;
  }
  return ShellItem(parent).getFolder();
}

SFGAOF ShellItem::attributes(SFGAOF wanted) const {
  ItemIdList relative;
  ComRef<IShellFolder> parent(parentFolder(&relative));
  LPCITEMIDLIST item = pidlOf(relative);
  SFGAOF found = wanted;
  HRESULT result = parent->GetAttributesOf(1, &item, &found);
  if (FAILED(result))
    throw plat::SystemException("IShellFolder::GetAttributesOf", (int)result);
  return found & wanted;
}

bool ShellItem::isFileSystem() const { return attributes(SFGAO_FILESYSTEM) != 0; }

bool ShellItem::canCopy() const { return attributes(SFGAO_CANCOPY) != 0; }

char* ShellItem::getName() const {
  plat::String parsing = plat::String::adopt(getParsingName());
  if (strncmp(parsing.c_str(), "::{", 3) != 0) {
    const SFGAOF both = SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;
    if (attributes(both) != both) {
      const char* slash = strrchr(parsing.c_str(), '\\');
      return plat::strDup(slash ? slash + 1 : parsing.c_str());
    }
  }
  ItemIdList relative;
  ComRef<IShellFolder> parent(parentFolder(&relative));
  ShellString name;
  HRESULT result = parent->GetDisplayNameOf(pidlOf(relative), SHGDN_INFOLDER, name.out());
  if (FAILED(result))
    throw plat::SystemException("IShellFolder::GetDisplayNameOf", (int)result);
  return name.toUtf8(relative);
}

IShellFolder* ShellItem::getFolder() const {
  if (isEmpty()) {
    folder_->AddRef();
    return folder_;
  }
  IShellFolder* bound = nullptr;
  HRESULT result = folder_->BindToObject(pidl(), nullptr, IID_IShellFolder, (void**)&bound);
  if (SUCCEEDED(result))
    return bound;
  fprintf(stderr, "Absolute bind failed. Trying relative.\n");
  ItemIdList relative;
  ComRef<IShellFolder> parent(parentFolder(&relative));
  result = parent->BindToObject(pidlOf(relative), nullptr, IID_IShellFolder, (void**)&bound);
  if (FAILED(result))
    throw plat::SystemException("IShellFolder::BindToObject(IShellFolder)", (int)result);
  return bound;
}

} // namespace os
