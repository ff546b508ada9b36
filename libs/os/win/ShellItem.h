// An item-id list together with the shell folder it is relative to (the
// desktop unless given), and what the shell knows about the item.
#pragma once

#include "os/ItemIdList.h"

#include <shlobj.h>

namespace os {

class ShellItem : public ItemIdList {
public:
  // Copies the list (bounded by maxBytes as for ItemIdList) and takes a
  // reference on folder; a null folder means the desktop.
  explicit ShellItem(const void* pidl, int maxBytes = -1, IShellFolder* folder = nullptr);
  ShellItem(const ItemIdList& list, IShellFolder* folder = nullptr);
  ShellItem(const ShellItem& other);
  ShellItem& operator=(const ShellItem&) = delete;
  ~ShellItem() override;

  // New UTF-8 buffers.
  char* getParsingName() const;
  // The name a user knows the item by: the last part of a plain path,
  // otherwise the display name within its folder.
  char* getName() const;
  // The item bound as a folder, with a reference for the caller.
  IShellFolder* getFolder() const;
  bool isFileSystem() const;
  bool canCopy() const;

  IShellFolder* folder() const { return folder_; }
  LPCITEMIDLIST pidl() const { return reinterpret_cast<LPCITEMIDLIST>(data()); }

private:
  // The folder that holds the item (one reference for the caller) and the
  // item relative to it.
  IShellFolder* parentFolder(ItemIdList* relative) const;
  SFGAOF attributes(SFGAOF wanted) const;

  IShellFolder* folder_;
};

} // namespace os
