#include "ledrow/book/TreeBranch.h"
#include "ledrow/book/TreeLeaf.h"
#include "ledrow/data/FileOps.h"
#include "plat/Assert.h"
#include "plat/DString.h"

#include <cstring>

namespace addrbook {

TreeBranch::TreeBranch(const char* path, TreeBranch* parent) : TreeNode(parent) {
  applyPath(path);
}

TreeBranch::~TreeBranch() { clearChildren(); }

void TreeBranch::clearChildren() {
  for (TreeNode* child : children_)
    delete child;
  children_.clear();
}

TreeNode* TreeBranch::add(std::unique_ptr<TreeNode> child) {
  PLAT_ASSERT(child->getParent() == this);
  auto placed = children_.insert(child.get());
  if (placed.second)
    return child.release();
  return *placed.first; // the same node was there already; the copy goes
}

const TreeNode* TreeBranch::childWithPath(const char* path, const TreeNode* except) const {
  for (const TreeNode* child : children_)
    if (child != except && strcmp(child->getPath(), path) == 0)
      return child;
  return nullptr;
}

void TreeBranch::reposition(TreeNode* child, const std::function<void()>& change) {
  // Looked up by identity: a changed name must not be searched for by the
  // order it is about to break.
  Children::iterator at = children_.end();
  for (auto it = children_.begin(); it != children_.end(); ++it)
    if (*it == child)
      at = it;
  if (at == children_.end()) {
    change(); // not yet added
    return;
  }
  plat::String oldPath = child->getPath();
  children_.erase(at);
  try {
    change();
  } catch (...) {
    children_.insert(child);
    throw;
  }
  // Two nodes of one path would stand for one file or folder on disk.
  if (childWithPath(child->getPath(), child)) {
    plat::ExceptionFmt clash("\"%s\" already exists", child->getName());
    child->applyPath(oldPath.c_str());
    children_.insert(child);
    throw clash;
  }
  children_.insert(child);
}

void TreeBranch::applyPath(const char* path) {
  TreeNode::applyPath(path);
  // Each child keeps its own last component, hence its name and its place.
  for (TreeNode* child : children_) {
    plat::DString childPath;
    childPath.appendf("%s%c%s", path, PathSeparator, lastComponent(child->getPath()));
    child->applyPath(childPath.c_str());
  }
}

void TreeBranch::rename(const char* name) { setPath(siblingPath(name).c_str()); }

std::vector<TreeLeaf*> TreeBranch::allLeaves() const {
  std::vector<TreeLeaf*> leaves;
  collectLeaves(&leaves);
  return leaves;
}

void TreeBranch::collectLeaves(std::vector<TreeLeaf*>* leaves) const {
  for (TreeNode* child : children_) {
    if (child->isBranch())
      static_cast<TreeBranch*>(child)->collectLeaves(leaves);
    else
      leaves->push_back(static_cast<TreeLeaf*>(child));
  }
}

void TreeBranch::collectEncryptedLeaves(std::vector<TreeLeaf*>* leaves) const {
  for (TreeNode* child : children_) {
    if (child->isBranch())
      static_cast<TreeBranch*>(child)->collectEncryptedLeaves(leaves);
    else if (static_cast<TreeLeaf*>(child)->isProtected())
      leaves->push_back(static_cast<TreeLeaf*>(child));
  }
}

bool TreeBranch::hasLockedLeaves() const {
  for (TreeNode* child : children_) {
    if (child->isBranch() ? static_cast<TreeBranch*>(child)->hasLockedLeaves()
                          : static_cast<TreeLeaf*>(child)->isProtected())
      return true;
  }
  return false;
}

} // namespace addrbook
