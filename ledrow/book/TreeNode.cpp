#include "ledrow/book/TreeNode.h"
#include "ledrow/book/TreeBranch.h"
#include "ledrow/data/FileOps.h"
#include "plat/DString.h"

#include <cstring>

namespace addrbook {

const char* lastComponent(const char* path) {
  const char* separator = strrchr(path, PathSeparator);
  return separator ? separator + 1 : path;
}

TreeNode::~TreeNode() {}

void TreeNode::setPath(const char* path) {
  if (parent_)
    parent_->reposition(this, [&] { applyPath(path); });
  else
    applyPath(path);
}

void TreeNode::applyPath(const char* path) {
  path_ = path;
  name_ = lastComponent(path);
}

plat::String TreeNode::siblingPath(const char* component) const {
  const char* last = lastComponent(path_.c_str());
  plat::DString path;
  path.append(path_.c_str(), (int)(last - path_.c_str()));
  path.append(component);
  return plat::String(path.c_str());
}

bool TreeNode::lessThan(const TreeNode* a, const TreeNode* b) {
  if (a->isBranch() != b->isBranch())
    return a->isBranch();
  int order = plat::strCaseCmp(a->getName(), b->getName());
  if (order == 0)
    order = strcmp(a->getName(), b->getName());
  if (order == 0)
    order = strcmp(a->getPath(), b->getPath());
  return order < 0;
}

} // namespace addrbook
