#include "ledrow/app/TrayMenuLayout.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/TreeLeaf.h"

namespace addrbook {

namespace {

void walkFolder(const TreeBranch& folder, int* nextId, TrayMenuVisitor& visitor) {
  for (TreeNode* node : folder.children()) {
    int id = (*nextId)++;
    if (node->isBranch()) {
      const TreeBranch& inner = *static_cast<TreeBranch*>(node);
      visitor.beginFolder(id, inner);
      walkFolder(inner, nextId, visitor);
      visitor.endFolder();
    } else {
      visitor.entry(id, static_cast<TreeLeaf*>(node));
    }
  }
}

} // namespace

void walkTrayMenu(const std::vector<std::unique_ptr<TreeBranch>>& roots, int firstId,
                  TrayMenuVisitor& visitor) {
  int nextId = firstId;
  if (roots.size() == 1) {
    walkFolder(*roots[0], &nextId, visitor);
    return;
  }
  for (const std::unique_ptr<TreeBranch>& root : roots) {
    visitor.beginFolder(nextId++, *root);
    walkFolder(*root, &nextId, visitor);
    visitor.endFolder();
  }
}

std::map<int, TreeLeaf*> trayMenuEntries(const std::vector<std::unique_ptr<TreeBranch>>& roots,
                                         int firstId) {
  struct Entries : TrayMenuVisitor {
    std::map<int, TreeLeaf*> byId;
    void beginFolder(int, const TreeBranch&) override {}
    void endFolder() override {}
    void entry(int id, TreeLeaf* leaf) override { byId.emplace_hint(byId.end(), id, leaf); }
  } entries;
  walkTrayMenu(roots, firstId, entries);
  return std::move(entries.byId);
}

} // namespace addrbook
