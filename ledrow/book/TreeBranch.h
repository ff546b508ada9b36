// A folder of the entry tree. It owns its children and keeps them in the
// order they are shown in (TreeNode::lessThan).
#pragma once

#include "ledrow/book/TreeNode.h"

#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace addrbook {

class TreeLeaf;

class TreeBranch : public TreeNode {
public:
  struct Order {
    bool operator()(const TreeNode* a, const TreeNode* b) const {
      return TreeNode::lessThan(a, b);
    }
  };
  typedef std::set<TreeNode*, Order> Children;

  TreeBranch(const char* path, TreeBranch* parent);
  ~TreeBranch() override;

  bool isLeaf() const override { return false; }
  bool isBranch() const override { return true; }
  void rename(const char* name) override;

  // Takes a node made with this folder as its parent and returns it; a
  // node equal to one already there (same kind and path) is dropped and the
  // one there returned.
  TreeNode* add(std::unique_ptr<TreeNode> child);
  void clearChildren();
  const Children& children() const { return children_; }

  // Every entry below, depth first in display order.
  std::vector<TreeLeaf*> allLeaves() const;
  void collectLeaves(std::vector<TreeLeaf*>* leaves) const;
  // The entries below that are protected by the master password.
  void collectEncryptedLeaves(std::vector<TreeLeaf*>* leaves) const;
  bool hasLockedLeaves() const;

protected:
  void applyPath(const char* path) override;

private:
  friend class TreeNode;
  // Runs change, which may alter the child's name, and puts the child back
  // where its new name belongs. Throws plat::Exception, with the child as
  // it was, when another child has the new path.
  void reposition(TreeNode* child, const std::function<void()>& change);
  const TreeNode* childWithPath(const char* path, const TreeNode* except) const;

  Children children_;
};

} // namespace addrbook
