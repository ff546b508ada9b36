// The notification area's "Connect to" menu over the book: its items in
// tree order, numbered from a first command id over folders and entries
// alike. A book of one top folder lists that folder's children; several
// top folders are listed as themselves. The window makes the menu's items
// from this walk, and answers the commands from the same numbering from
// the moment the book is loaded, before the menu is ever shown.
#pragma once

#include <map>
#include <memory>
#include <vector>

namespace addrbook {

class TreeBranch;
class TreeLeaf;

class TrayMenuVisitor {
public:
  virtual ~TrayMenuVisitor() {}
  // A folder's item; the items inside it follow, up to its endFolder.
  virtual void beginFolder(int id, const TreeBranch& folder) = 0;
  virtual void endFolder() = 0;
  virtual void entry(int id, TreeLeaf* entry) = 0;
};

void walkTrayMenu(const std::vector<std::unique_ptr<TreeBranch>>& roots, int firstId,
                  TrayMenuVisitor& visitor);

// The entries of the menu by command id.
std::map<int, TreeLeaf*> trayMenuEntries(const std::vector<std::unique_ptr<TreeBranch>>& roots,
                                         int firstId);

} // namespace addrbook
