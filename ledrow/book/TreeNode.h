// A node of the entry tree: a folder (TreeBranch) or an entry (TreeLeaf),
// with its full path and the name shown for it.
#pragma once

#include "plat/String.h"

namespace addrbook {

class TreeBranch;

class TreeNode {
public:
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;
  virtual ~TreeNode();

  virtual bool isLeaf() const = 0;
  virtual bool isBranch() const = 0;
  // The node's own path becomes path, its name the last component; a
  // folder's subtree follows. Nothing on disk changes. Throws
  // plat::Exception "\"<name>\" already exists", changing nothing, when a
  // sibling has that path.
  void setPath(const char* path);
  // Gives the node a new name in the same folder; nothing on disk changes.
  // Throws as setPath does.
  virtual void rename(const char* name) = 0;

  TreeBranch* getParent() const { return parent_; }
  const char* getPath() const { return path_.c_str(); }
  const char* getName() const { return name_.c_str(); }

  // Folders before entries, each by name without regard to case. Names
  // that differ only in case (or not at all) are told apart by their exact
  // bytes and then by path, so no two nodes of a folder are ever equal.
  static bool lessThan(const TreeNode* a, const TreeNode* b);

protected:
  TreeNode(TreeBranch* parent) : parent_(parent) {}
  // Sets path and name without regard to the parent's order; subclasses
  // extend it. A node's path changes only through here.
  virtual void applyPath(const char* path);
  void setName(const char* name) { name_ = name; }
  // The path of a node called component in the same folder.
  plat::String siblingPath(const char* component) const;

private:
  friend class TreeBranch;

  TreeBranch* parent_;
  plat::String path_;
  plat::String name_;
};

// The text after the last separator of path (all of it when there is none).
const char* lastComponent(const char* path);

} // namespace addrbook
